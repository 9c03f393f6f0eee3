#include "JsonStreamWriter.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

using nlohmann::json;

std::string Dumped(const json& document) {
    return document.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

std::string Streamed(const json& document) {
    std::ostringstream out;
    CJsonStreamWriter writer(out);
    writer.Value(document);
    writer.EndDocument();
    return out.str();
}

// Documents whose every kind of value and nesting the stream must write as the dump does.
TEST(JsonStreamWriter, ValuesAreWrittenAsTheDumpWritesThem) {
    const json documents[] = {
        json::object(),
        json::array(),
        json{{"b", 1}, {"a", json::array()}, {"c", json::object()}},
        json{{"pages", json::array({json{{"name", "统计图"}, {"rates", {0.95, 0.1, nullptr}}},
                                    json{{"cells", json::array()}, {"x", -7}}})}},
        json{{"text", "quote \" backslash \\ tab \t line\n"}, {"bad", std::string("a\xff")}},
        json{{"n", {{"m", {{"l", {1, 2, {{"k", true}}}}}}}}},
        json{{"big", 18446744073709551615ULL}, {"neg", -9223372036854775807LL}, {"f", 1e-7}},
    };
    for (const json& document : documents) {
        EXPECT_EQ(Streamed(document), Dumped(document)) << document.dump();
    }
}

// Members made by writers land between the object's own members in key order, and values
// written piece by piece come out as the whole value would.
TEST(JsonStreamWriter, WrittenMembersTakeTheirPlaceInKeyOrder) {
    const json cells = json::array({json{{"col", 2}, {"text", "W"}}, json{{"col", 3}, {"text", "é"}}});
    const json chart = json::array({"GG.", "R.."});
    json whole = {{"analysed", true}, {"name", "a.txt"}, {"zeta", nullptr}, {"cells", nullptr}};
    json partial = whole;
    whole["cells"] = cells;
    whole["chart"] = chart;

    std::ostringstream out;
    CJsonStreamWriter writer(out);
    writer.BeginArray();
    writer.Object(partial, {{"chart",
                             [&](CJsonStreamWriter& w) {
                                 w.BeginArray();
                                 for (const json& row : chart) {
                                     w.String(row.get<std::string>());
                                 }
                                 w.EndArray();
                             }},
                            {"cells", [&](CJsonStreamWriter& w) {
                                 w.BeginArray();
                                 for (const json& cell : cells) {
                                     w.BeginObject();
                                     w.Key("col");
                                     w.Int(cell["col"].get<int>());
                                     w.Key("text");
                                     w.String(cell["text"].get<std::string>());
                                     w.EndObject();
                                 }
                                 w.EndArray();
                             }}});
    writer.Object(json::object(), {{"empty", [](CJsonStreamWriter& w) {
                                        w.BeginArray();
                                        w.EndArray();
                                    }}});
    writer.EndArray();
    writer.EndDocument();
    EXPECT_EQ(out.str(), Dumped(json::array({whole, json{{"empty", json::array()}}})));
}

} // namespace
