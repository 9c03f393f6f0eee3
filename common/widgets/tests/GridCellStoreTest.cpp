#include "GridCellStore.h"

#include <gtest/gtest.h>

#include <utility>

TEST(CompactText, KeepsEveryLengthAcrossCopiesAndMoves) {
    const QString texts[] = {QString(),
                             QStringLiteral("R"),
                             QStringLiteral("1234567"),
                             QStringLiteral("12345678"),
                             QStringLiteral("ÄÖÜ统计图"),
                             QString(70000, QLatin1Char('z'))};
    for (const QString& text : texts) {
        CCompactText a;
        a.Assign(text);
        EXPECT_EQ(a.ToQString(), text) << text.size();
        EXPECT_EQ(a.Size(), static_cast<size_t>(text.size()));
        EXPECT_EQ(a.HeapBytes() > 0, text.size() > CCompactText::kInline);
        CCompactText copy(a);
        CCompactText moved(std::move(a));
        EXPECT_EQ(copy.ToQString(), text);
        EXPECT_EQ(moved.ToQString(), text);
        EXPECT_TRUE(a.IsEmpty()); // NOLINT: a moved-from text is empty
        CCompactText assigned;
        assigned.Assign(QStringLiteral("a longer text than inline"));
        assigned = copy;
        EXPECT_EQ(assigned.ToQString(), text);
        assigned = assigned; // self-assignment keeps the text
        EXPECT_EQ(assigned.ToQString(), text);
        assigned.Assign(assigned.Data(), assigned.Size()); // from its own buffer
        EXPECT_EQ(assigned.ToQString(), text);
    }
}

TEST(GridCellStore, RecordsExistOnlyForFilledCells) {
    CGridCellStore store;
    store.SetSize(100, 50);
    EXPECT_EQ(store.Find(3, 4), nullptr);
    EXPECT_EQ(store.Ensure(100, 0), nullptr); // outside
    EXPECT_EQ(store.Ensure(0, -1), nullptr);
    SCellData* cell = store.Ensure(3, 4);
    ASSERT_NE(cell, nullptr);
    cell->crBack = 0x00FF00;
    EXPECT_EQ(store.Ensure(3, 4), cell); // the same record
    EXPECT_EQ(store.GetFilledCount(), 1u);
    store.Erase(3, 4);
    EXPECT_EQ(store.Find(3, 4), nullptr);
    EXPECT_EQ(store.GetFilledCount(), 0u);
    // A freed record is reused, cleared.
    SCellData* again = store.Ensure(7, 7);
    EXPECT_EQ(again, cell);
    EXPECT_EQ(again->crBack, 0xFF000000u);
}

TEST(GridCellStore, ResizeAndInsertKeepRecordsWithTheirCells) {
    CGridCellStore store;
    store.SetSize(5, 5);
    for (int r = 0; r < 5; ++r)
        store.Ensure(r, r)->text.Assign(QString::number(r));
    store.SetData(4, 4, 99);
    store.InsertRow(2);
    EXPECT_EQ(store.GetRowCount(), 6);
    EXPECT_EQ(store.Find(2, 2), nullptr);
    EXPECT_EQ(store.Find(3, 2)->text.ToQString(), QStringLiteral("2"));
    EXPECT_EQ(store.GetData(5, 4), 99u);
    store.SetSize(4, 2); // drops rows 4, 5 and columns 2..4
    EXPECT_EQ(store.GetFilledCount(), 2u);
    EXPECT_EQ(store.Find(1, 1)->text.ToQString(), QStringLiteral("1"));
    EXPECT_EQ(store.GetData(5, 4), 0u);
    store.SetSize(6, 6);
    EXPECT_EQ(store.Find(3, 3), nullptr);
    EXPECT_EQ(store.GetData(5, 4), 0u); // the data of a destroyed cell is gone
}

TEST(GridCellStore, FontsAreKeptOnce) {
    CGridCellStore store;
    QFont a(QStringLiteral("DejaVu Sans"), 10);
    QFont b(QStringLiteral("DejaVu Sans"), 12);
    const auto ia = store.InternFont(a);
    EXPECT_EQ(store.InternFont(b), ia + 1);
    EXPECT_EQ(store.InternFont(a), ia);
    EXPECT_EQ(*store.GetFont(ia), a);
    EXPECT_EQ(store.GetFont(0), nullptr);
}
