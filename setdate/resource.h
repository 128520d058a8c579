// Resource ids of setdate.
#pragma once

// Icons
#define IDI_SETDATE 200
