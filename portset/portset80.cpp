// portset80: switches the web server's port directive from 8000 back to 80.
#include "portset/PortSwitch.h"

int main() { return orvane::SwitchPort(orvane::kPortSwitchTo80); }
