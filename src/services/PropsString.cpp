#include "services/PropsString.h"

#include "automation/TextHelpers.h"

namespace orva::components {

using namespace automation;

std::optional<Text> PropsEntry(TextView propsString, TextView name) {
    Text wanted = UCase(Trim(name));
    size_t start = 0;
    while (start <= propsString.size()) {
        size_t end = propsString.find(u';', start);
        if (end == TextView::npos) end = propsString.size();
        TextView entry = propsString.substr(start, end - start);
        size_t equals = entry.find(u'=');
        if (equals != TextView::npos && UCase(Trim(entry.substr(0, equals))) == wanted) {
            return Text(entry.substr(equals + 1));
        }
        start = end + 1;
    }
    return std::nullopt;
}

}  // namespace orva::components
