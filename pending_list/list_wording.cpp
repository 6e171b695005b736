#include "pending_list/list_wording.h"

#include "registry/registry_constants.h"
#include "registry/registry_type_names.h"

namespace pendrix {

std::string AnotherFormSentence(const StoredShape& shape) {
    std::string text = "The list of pending file operations ";
    if (shape.type != kRegMultiSz)
        text += "is stored as " + RegistryTypeText(shape.type) + ", not as a list of strings,";
    else
        text += "holds an odd number of bytes (" + std::to_string(shape.bytes) + "),";
    return text + " and Pendrix does not overwrite it.";
}

std::string AnotherFormLine(const StoredShape& shape, const char* valueName) {
    if (shape.type != kRegMultiSz)
        return std::string(valueName) + " is of type " + RegistryTypeText(shape.type) +
               ", not a list of strings, and is never changed";
    return std::string(valueName) + " holds an odd number of bytes (" + std::to_string(shape.bytes) +
           "), the last of them no whole character, and is never changed";
}

}  // namespace pendrix
