#include "platform/account_name.h"

#include <vector>

#include "common/wide_text.h"

namespace pendrix {

std::string AccountNameOf(PSID sid) {
    DWORD nameSize = 0;
    DWORD domainSize = 0;
    SID_NAME_USE use{};
    LookupAccountSidW(nullptr, sid, nullptr, &nameSize, nullptr, &domainSize, &use);
    std::vector<wchar_t> name(nameSize + 1);
    std::vector<wchar_t> domain(domainSize + 1);
    if (nameSize == 0 || !LookupAccountSidW(nullptr, sid, name.data(), &nameSize, domain.data(), &domainSize, &use))
        return std::string();
    const std::string domainText = TextOfWide(domain.data());
    return (domainText.empty() ? std::string() : domainText + "\\") + TextOfWide(name.data());
}

}  // namespace pendrix
