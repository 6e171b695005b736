#include "platform/access_rules.h"

#include <algorithm>

namespace pendrix {

std::uint32_t MapFileGenericRights(std::uint32_t mask) {
    std::uint32_t mapped = mask & ~(kGenericAll | kGenericExecute | kGenericWrite | kGenericRead);
    if (mask & kGenericAll) mapped |= kFileAllAccess;
    if (mask & kGenericExecute) mapped |= kFileGenericExecute;
    if (mask & kGenericWrite) mapped |= kFileGenericWrite;
    if (mask & kGenericRead) mapped |= kFileGenericRead;
    return mapped;
}

std::uint32_t GrantedRights(const AccessRules& rules, std::initializer_list<std::string_view> sids) {
    if (!rules.present) return kFileAllAccess;
    std::uint32_t granted = 0;
    std::uint32_t denied = 0;
    for (const AccessRule& rule : rules.rules) {
        if (rule.inheritOnly || std::find(sids.begin(), sids.end(), rule.sid) == sids.end()) continue;
        const std::uint32_t rights = MapFileGenericRights(rule.mask);
        if (rule.allows)
            granted |= rights & ~denied;
        else
            denied |= rights & ~granted;
    }
    return granted;
}

}  // namespace pendrix
