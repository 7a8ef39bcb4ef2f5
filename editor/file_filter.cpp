#include "editor/file_filter.h"

#include <cstring>

FileDialogFilter MakeFileDialogFilter(const char* extensions)
{
    FileDialogFilter result;
    std::string pattern;
    for (const char* p = extensions ? extensions : ""; *p;) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        const char* end = std::strchr(p, ' ');
        if (!end) end = p + std::strlen(p);
        if (result.defaultExtension.empty()) result.defaultExtension.assign(p, end);
        if (!pattern.empty()) pattern += ';';
        pattern.append("*.").append(p, end);
        p = end;
    }
    if (pattern.empty()) return result;
    result.filter.append(pattern).append(1, '\0').append(pattern).append(2, '\0');
    return result;
}
