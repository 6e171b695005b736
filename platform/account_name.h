// The name of the account a SID stands for, as Windows shows it.
#pragma once

#include <windows.h>

#include <string>

namespace pendrix {

// "DOMAIN\name" (LookupAccountSidW); empty when no name is found for it.
std::string AccountNameOf(PSID sid);

}  // namespace pendrix
