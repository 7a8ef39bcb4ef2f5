#pragma once

#include <string>

// The filter of a file dialog for a list of extensions separated by blanks.
struct FileDialogFilter {
    // The pattern ("*.txt;*.csv") as description and as pattern, each
    // followed by a NUL, then a final NUL; empty when the list names none.
    std::string filter;
    // The first extension of the list, or empty.
    std::string defaultExtension;
};

// Blanks before, between and after the extensions are skipped; a null list
// names none.
FileDialogFilter MakeFileDialogFilter(const char* extensions);
