#pragma once

#include <cstddef>

// The string-table files as embedded into the program: file name and full
// text ("langid<TAB>0x0409" and "id<TAB>text" lines, '#' comments).
struct StringTableSource {
  const char* name;
  const char* text;
};

extern const StringTableSource kStringTableSources[];
extern const std::size_t kStringTableSourceCount;
