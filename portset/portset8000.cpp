// portset8000: switches the web server's port directive from 80 to 8000.
#include "portset/PortSwitch.h"

int main() { return orvane::SwitchPort(orvane::kPortSwitchTo8000); }
