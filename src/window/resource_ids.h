// Resource ids shared by the resource script and the window.
#pragma once

#define IDI_APP 1
#define IDI_ABOUT 2
