// The list entries as the delegate draws them: the same picture however many entries passed
// through the list since, and a selected entry in the selection's colours.
#include "ui/FormControls.h"

#include <QApplication>
#include <QImage>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace tarnwick::test {
namespace {

// A list made as the main window makes its lists.
struct DrawnList {
    DrawnList()
        : list(*AddList(&window, "List2")) {
        list.resize(240, 120);
        window.resize(240, 120);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void Show(const QStringList& entries) {
        list.clear();
        list.addItems(entries);
        list.doItemsLayout();
    }
    QImage Picture() { return list.viewport()->grab().toImage(); }

    QWidget window;
    QListWidget& list;
};

QStringList Entries(int first, int count) {
    QStringList entries;
    for (int i = first; i < first + count; ++i) {
        entries << QStringLiteral("shop%1.example.com/p%2.html").arg(i % 41).arg(i);
    }
    return entries;
}

int PixelsOf(const QImage& image, QColor colour, QRect area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += image.pixelColor(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

TEST(PlainTextDelegate, AnEntryLooksTheSameAfterManyOthersPassedThrough) {
    DrawnList drawn;
    drawn.Show(Entries(0, 6));
    const QImage before = drawn.Picture();
    for (int first = 6; first < 2000; first += 6) {
        drawn.Show(Entries(first, 6));
        drawn.Picture();
    }
    drawn.Show(Entries(0, 6));
    EXPECT_EQ(drawn.Picture(), before);
    drawn.Show(Entries(1, 6));
    EXPECT_NE(drawn.Picture(), before) << "other texts, another picture";
}

TEST(PlainTextDelegate, ASelectedEntryIsDrawnInTheSelectionColours) {
    DrawnList drawn;
    drawn.Show({QStringLiteral("plumbers"), QStringLiteral("plumbers")});
    drawn.list.item(1)->setSelected(true);
    const QImage picture = drawn.Picture();
    const QRect plain = drawn.list.visualItemRect(drawn.list.item(0));
    const QRect selected = drawn.list.visualItemRect(drawn.list.item(1));
    const QPalette palette = drawn.list.palette();
    const QPalette::ColorGroup group = drawn.list.isActiveWindow() ? QPalette::Active : QPalette::Inactive;
    const QColor text = palette.color(group, QPalette::Text);
    const QColor highlightedText = palette.color(group, QPalette::HighlightedText);

    EXPECT_GT(PixelsOf(picture, text, plain), 0);
    EXPECT_EQ(PixelsOf(picture, text, selected), 0) << "the same text, drawn again in other colours";
    EXPECT_GT(PixelsOf(picture, highlightedText, selected), 0);
}

} // namespace
} // namespace tarnwick::test
