// The Quillon and the Sondex engines linked into one program: each has a DDR cell record and
// a log folder search of the same name, and each must keep its own.

#include "LogText.h"
#include "quillon/engine/LogDataDDR.h"
#include "quillon/engine/logread/LogRead.h"
#include "sondex/engine/FolderWorkflow.h"
#include "sondex/engine/LogDataDDR.h"

#include "ScratchFiles.h"
#include "TextUtil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

// Out of line, so the casts below are decided by the objects' run-time types.
[[gnu::noinline]] const quillon::CLogDataBase* AsQuillonRecord(const sondex::CLogDataDDR* cell) {
    return dynamic_cast<const quillon::CLogDataBase*>(cell);
}

[[gnu::noinline]] const sondex::CLogDataDDR* AsSondexCell(const quillon::CLogDataBase* record) {
    return dynamic_cast<const sondex::CLogDataDDR*>(record);
}

} // namespace

TEST(EnginesTogether, EachDdrCellRecordKeepsItsOwnClass) {
    struct SCase {
        int value;
        uint32_t color;
    };
    // Both engines colour 1 green, 0 red and anything else white, each through its own class.
    for (const SCase c :
         {SCase{1, 0x00FF00}, SCase{0, 0x0000FF}, SCase{2, 0xFFFFFF}, SCase{-1, 0xFFFFFF}}) {
        const std::unique_ptr<quillon::CLogDataBase> record =
            std::make_unique<quillon::CLogDataDDR>(c.value);
        const auto cell = std::make_unique<sondex::CLogDataDDR>(c.value);
        EXPECT_EQ(record->GetColor(), c.color) << c.value;
        EXPECT_EQ(cell->GetColor(), c.color) << c.value;
        EXPECT_EQ(static_cast<const quillon::CLogDataDDR&>(*record).GetPassFlag(), c.value);
        EXPECT_EQ(cell->GetState(), c.value);

        // A Sondex cell is no Quillon page record, and the other way round.
        EXPECT_EQ(AsQuillonRecord(cell.get()), nullptr) << c.value;
        EXPECT_EQ(AsSondexCell(record.get()), nullptr) << c.value;
        const quillon::CLogDataBase& recordRef = *record;
        const sondex::CLogDataDDR& cellRef = *cell;
        EXPECT_NE(typeid(recordRef), typeid(cellRef));
    }
}

TEST(EnginesTogether, BothFolderSearchesListTheSameLogsInTheSameOrder) {
    const std::filesystem::path dir = testsupport::MakeScratchFolder("engines_together");
    for (const char* name : {"b.txt", "A.TXT", "a.Txt", "notes.log", "run.txt/inner.txt"}) {
        const std::filesystem::path path = dir / name;
        std::filesystem::create_directories(path.parent_path());
        testsupport::PutBytes(path, "x");
    }

    std::vector<std::wstring> quillonFiles;
    ASSERT_TRUE(quillon::FindLogFiles(PathToWide(dir), quillonFiles));
    const std::vector<std::filesystem::path> sondexFiles = ::FindLogFiles(dir);

    std::vector<std::wstring> sondexNames;
    for (const auto& path : sondexFiles) {
        sondexNames.push_back(PathToWide(path));
    }
    const std::wstring base = PathToWide(dir) + L"/";
    const std::vector<std::wstring> expected = {base + L"A.TXT", base + L"a.Txt", base + L"b.txt",
                                                base + L"run.txt/inner.txt"};
    EXPECT_EQ(quillonFiles, expected);
    EXPECT_EQ(sondexNames, expected);
    std::filesystem::remove_all(dir);
}
