#pragma once

// Test support: the records of CSV text as the report and export writers make it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace testsupport {

// Splits CSV text into records of fields (RFC 4180, quoted fields may hold line ends).
inline std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.push_back(field);
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            fields.push_back(field);
            field.clear();
            records.push_back(fields);
            fields.clear();
            ++i;
        } else {
            field += c;
        }
    }
    EXPECT_TRUE(fields.empty() && field.empty()) << "the last record has no line end";
    return records;
}

} // namespace testsupport
