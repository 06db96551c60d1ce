#ifndef VANTREL_JCPRECORD_H
#define VANTREL_JCPRECORD_H

#include <string>
#include <vector>

// The arguments as one compact JSON array of strings. Bytes that are not
// valid UTF-8 become U+FFFD so the line stays valid JSON; everything else,
// non-ASCII included, is kept as it came.
std::string jsonStringArray(const std::vector<std::string> &values);

// One argument as a JSON string literal, quotes included.
std::string jsonString(const std::string &value);

// Appends `line` and a newline to the file at `path` in one write. Returns
// false (with errno set) when the file cannot be opened or written.
bool appendLine(const std::string &path, const std::string &line);

#endif
