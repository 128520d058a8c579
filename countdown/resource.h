// Resource ids of countdown.
#pragma once

// Icons
#define IDI_COUNTDOWN 200
