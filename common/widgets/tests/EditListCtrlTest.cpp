#include "EditListCtrl.h"
#include "InPlaceCombo.h"

#include <QApplication>
#include <QCursor>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QStringList kChoices = {QStringLiteral("0x10"), QStringLiteral("0x20"),
                              QStringLiteral("0xAB")};

// A dialog with the list (columns: "Byte" 60, "Value" 80, "Narrow" 9, "Ten" 10 pixels) and a
// second control to take the focus away.
struct EditListFixture : ::testing::Test {
    QWidget dialog;
    CEditListCtrl* list = nullptr;
    QLineEdit* other = nullptr;
    QStringList offered = kChoices;

    void SetUp() override {
        list = new CEditListCtrl(&dialog);
        other = new QLineEdit(&dialog);
        list->setGeometry(0, 0, 400, 150);
        other->setGeometry(0, 200, 100, 25);
        dialog.resize(420, 260);
        list->InsertColumn(0, QStringLiteral("Byte"), 60);
        list->InsertColumn(1, QStringLiteral("Value"), 80);
        list->InsertColumn(2, QStringLiteral("Narrow"), 9);
        list->InsertColumn(3, QStringLiteral("Ten"), 10);
        for (int r = 0; r < 4; ++r) {
            list->InsertItem(r, QString::number(r));
            list->SetItemText(r, 1, QStringLiteral("0x20"));
            list->SetItemText(r, 2, QStringLiteral("0x10"));
            list->SetItemText(r, 3, QStringLiteral("0x10"));
        }
        for (int c : {1, 2, 3})
            list->SetComboColumn(true, c);
        QObject::connect(list, &CEditListCtrl::choiceRequest,
                         [this](int, QStringList* choices) { *choices = offered; });
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        list->setFocus();
    }

    QPoint CellPoint(int row, int col) const {
        return {list->columnViewportPosition(col) + list->columnWidth(col) / 2,
                list->rowViewportPosition(row) + list->rowHeight(row) / 2};
    }
    void PointerInsideList() { QCursor::setPos(list->mapToGlobal(QPoint(5, 5))); }
    void PointerOutsideList() { QCursor::setPos(dialog.mapToGlobal(QPoint(300, 230))); }
    void Click(int row, int col) {
        PointerInsideList();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, CellPoint(row, col));
    }
    void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    CInPlaceCombo* OpenCombo(int row, int col) {
        Click(row, col);
        Click(row, col);
        return list->GetInPlaceCombo();
    }
};

} // namespace

TEST_F(EditListFixture, OneClickOnlyHighlightsTheCell) {
    QSignalSpy asked(list, &CEditListCtrl::choiceRequest);
    Click(1, 1);
    EXPECT_EQ(list->GetInPlaceCombo(), nullptr);
    EXPECT_EQ(asked.count(), 0);
    EXPECT_TRUE(list->IsCellActive());
    EXPECT_EQ(list->GetActiveRow(), 1);
    EXPECT_EQ(list->GetActiveColumn(), 1);
    EXPECT_TRUE(list->selectionModel()->isRowSelected(1, QModelIndex()));
    // The highlight starts 4 pixels into the cell and is the text width + 10 wide.
    const QImage image = list->viewport()->grab().toImage();
    const QColor highlight = list->palette().color(QPalette::Highlight);
    const int left = list->columnViewportPosition(1);
    const int y = CellPoint(1, 1).y();
    const int textWidth = list->fontMetrics().horizontalAdvance(QStringLiteral("0x20"));
    const int end = left + 4 + textWidth + 10; // first pixel past the highlight
    EXPECT_EQ(image.pixel(left + 4, y), highlight.rgb());
    EXPECT_EQ(image.pixel(left + 5, y), highlight.rgb());
    EXPECT_EQ(image.pixel(end - 1, y), highlight.rgb());
    EXPECT_NE(image.pixel(left + 3, y), highlight.rgb());
    EXPECT_NE(image.pixel(end, y), highlight.rgb());
    // Other rows and cells are not highlighted.
    EXPECT_NE(image.pixel(list->columnViewportPosition(0) + 6, y), highlight.rgb());
}

TEST_F(EditListFixture, SecondClickOpensTheComboOnTheCurrentValue) {
    struct Case {
        QString text;
        int index;
    } cases[] = {
        {QStringLiteral("0x20"), 1}, {QStringLiteral("0X2"), 1},
        {QStringLiteral("0xa"), 2},  {QString(), 0},
        {QStringLiteral("zz"), -1},
    };
    for (const Case& c : cases) {
        list->SetItemText(2, 1, c.text);
        list->DropActiveCell();
        QSignalSpy asked(list, &CEditListCtrl::choiceRequest);
        CInPlaceCombo* combo = OpenCombo(2, 1);
        ASSERT_NE(combo, nullptr) << c.text.toStdString();
        ASSERT_EQ(asked.count(), 1);
        EXPECT_EQ(asked.at(0).at(0).toInt(), 1);
        EXPECT_EQ(combo->count(), 3);
        EXPECT_EQ(combo->currentIndex(), c.index) << c.text.toStdString();
        EXPECT_EQ(combo->property("controlId").toInt(), 0x9999);
        EXPECT_EQ(combo->geometry().left(), list->columnViewportPosition(1) + 4);
        EXPECT_EQ(combo->geometry().width(), 80 - 3);
        EXPECT_EQ(combo->geometry().top(), list->rowViewportPosition(2));
        EXPECT_TRUE(combo->hasFocus());
        QTest::keyClick(combo, Qt::Key_Escape);
        FlushDeletes();
        EXPECT_EQ(list->GetInPlaceCombo(), nullptr);
    }
}

TEST_F(EditListFixture, EscapeLeavesTheCellAndSendsNothing) {
    QSignalSpy changed(list, &CEditListCtrl::valueChanged);
    CInPlaceCombo* combo = OpenCombo(0, 1);
    ASSERT_NE(combo, nullptr);
    combo->setCurrentIndex(2);
    QTest::keyClick(combo, Qt::Key_Escape);
    FlushDeletes();
    EXPECT_EQ(list->GetItemText(0, 1), QStringLiteral("0x20"));
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(list->GetInPlaceCombo(), nullptr);
    EXPECT_TRUE(list->hasFocus());
}

TEST_F(EditListFixture, ChoosingAndClickingElsewhereSetsTheTextAndTellsTheOwnerOnce) {
    QSignalSpy changed(list, &CEditListCtrl::valueChanged);
    CInPlaceCombo* combo = OpenCombo(3, 1);
    ASSERT_NE(combo, nullptr);
    combo->setCurrentIndex(2);
    PointerOutsideList();
    QTest::mouseClick(other, Qt::LeftButton);
    other->setFocus(Qt::MouseFocusReason);
    FlushDeletes();
    QApplication::processEvents();
    EXPECT_EQ(list->GetItemText(3, 1), QStringLiteral("0xAB"));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toInt(), 3);
    EXPECT_EQ(changed.at(0).at(1).toInt(), 1);
    EXPECT_EQ(changed.at(0).at(2).toString(), QStringLiteral("0xAB"));
    EXPECT_EQ(list->GetInPlaceCombo(), nullptr);
    // The pointer was outside the list: the active cell is dropped.
    EXPECT_FALSE(list->IsCellActive());
    EXPECT_EQ(list->GetActiveRow(), -1);
    EXPECT_FALSE(list->IsButtonDown());
    // Focus moving on again does not send a second change.
    list->setFocus();
    other->setFocus();
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(EditListFixture, EnterTakesTheChoiceAndKeepsTheActiveCellUnderThePointer) {
    QSignalSpy changed(list, &CEditListCtrl::valueChanged);
    CInPlaceCombo* combo = OpenCombo(1, 1);
    ASSERT_NE(combo, nullptr);
    combo->setCurrentIndex(0);
    QTest::keyClick(combo, Qt::Key_Return);
    FlushDeletes();
    EXPECT_EQ(list->GetItemText(1, 1), QStringLiteral("0x10"));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(list->IsCellActive());
    EXPECT_TRUE(list->hasFocus());
}

TEST_F(EditListFixture, ColumnsOfNinePixelsOrLessNeverOpenTheCombo) {
    struct Case {
        int width;
        bool opens;
    } cases[] = {{0, false}, {1, false}, {9, false}, {10, true}, {11, true}};
    for (const Case& c : cases) {
        list->setColumnWidth(3, c.width);
        CInPlaceCombo* combo = list->ShowInPlaceCombo(0, 3, kChoices, QStringLiteral("0x10"));
        EXPECT_EQ(combo != nullptr, c.opens) << c.width;
        if (combo) {
            QTest::keyClick(combo, Qt::Key_Escape);
            FlushDeletes();
        }
    }
    // The same by clicking: the 9-pixel column "Narrow" never opens.
    QSignalSpy asked(list, &CEditListCtrl::choiceRequest);
    EXPECT_EQ(OpenCombo(0, 2), nullptr);
    EXPECT_EQ(asked.count(), 1);
    EXPECT_EQ(list->ShowInPlaceCombo(0, 9, kChoices, QString()), nullptr); // no such column
}

TEST_F(EditListFixture, LeavingAComboWithoutAChoiceKeepsTheCell) {
    list->SetItemText(0, 1, QStringLiteral("zz"));
    QSignalSpy changed(list, &CEditListCtrl::valueChanged);
    CInPlaceCombo* combo = OpenCombo(0, 1);
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->currentIndex(), -1);
    PointerOutsideList();
    other->setFocus(Qt::MouseFocusReason);
    FlushDeletes();
    EXPECT_EQ(list->GetItemText(0, 1), QStringLiteral("zz"));
    EXPECT_EQ(changed.count(), 0);
}

TEST_F(EditListFixture, NoChoicesNoCombo) {
    offered.clear();
    EXPECT_EQ(OpenCombo(0, 1), nullptr);
    EXPECT_EQ(list->GetItemText(0, 1), QStringLiteral("0x20"));
}

TEST_F(EditListFixture, OtherColumnsAndOtherCellsDoNotOpen) {
    QSignalSpy asked(list, &CEditListCtrl::choiceRequest);
    EXPECT_EQ(OpenCombo(0, 0), nullptr); // not a combo column
    Click(1, 1);
    Click(2, 1); // a different cell: it becomes the active one
    EXPECT_EQ(list->GetInPlaceCombo(), nullptr);
    EXPECT_EQ(list->GetActiveRow(), 2);
    EXPECT_EQ(asked.count(), 0);
}

TEST_F(EditListFixture, SetComboColumnAddsOnceAndRemoves) {
    list->SetComboColumn(true, 5);
    list->SetComboColumn(true, 5);
    EXPECT_TRUE(list->IsComboColumn(5));
    list->SetComboColumn(false, 5);
    EXPECT_FALSE(list->IsComboColumn(5));
    list->SetComboColumn(false, 1);
    EXPECT_EQ(OpenCombo(0, 1), nullptr);
}

TEST_F(EditListFixture, ClickBelowTheRowsDropsTheActiveCell) {
    Click(0, 1);
    ASSERT_TRUE(list->IsCellActive());
    PointerInsideList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(20, list->viewport()->height() - 3));
    EXPECT_FALSE(list->IsCellActive());
    EXPECT_EQ(list->GetActiveColumn(), -1);
}

TEST_F(EditListFixture, LosingTheFocusDropsTheActiveCellOnlyWithThePointerOutside) {
    Click(0, 1);
    PointerInsideList();
    other->setFocus();
    EXPECT_TRUE(list->IsCellActive());
    list->setFocus();
    PointerOutsideList();
    other->setFocus();
    EXPECT_FALSE(list->IsCellActive());
}

TEST(EditListLifetime, DestroyingTheListWithAnOpenComboIsSafe) {
    auto dialog = std::make_unique<QWidget>();
    auto* list = new CEditListCtrl(dialog.get());
    list->InsertColumn(0, QStringLiteral("v"), 80);
    list->InsertItem(0, QStringLiteral("0x10"));
    dialog->show();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    QSignalSpy changed(list, &CEditListCtrl::valueChanged);
    ASSERT_NE(list->ShowInPlaceCombo(0, 0, kChoices, QStringLiteral("0x1")), nullptr);
    dialog.reset();
    EXPECT_EQ(changed.count(), 0);
}
