#pragma once

#include <QString>
#include <QStringList>

// The Song face the dialogs and charts are drawn in, then the CJK face that stands in for it
// where it is not installed (every Chinese text must keep its glyphs).
inline QStringList SongFamilies() {
    return {QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Zen Hei")};
}
