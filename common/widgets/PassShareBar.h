#pragma once

#include "PassShare.h"

#include <QWidget>

#include <functional>

class QLabel;
class QRadioButton;

// The view switch of a statistics page: two radio buttons, "Strict" (the page as it has
// always been drawn, the default) and "Pass share" (each cell coloured by the share of logs
// that passed it), and in the pass-share view the legend of the colour ramp. With the
// environment variable SUITE_PASS_SHARE_VIEW=1 a bar starts in the pass-share view (for
// screenshots of the programs).
class CPassShareBar : public QWidget {
    Q_OBJECT
public:
    explicit CPassShareBar(QWidget* parent = nullptr);

    [[nodiscard]] bool IsShareView() const;
    /// Switches the view (emits ViewChanged when it changes).
    void SetShareView(bool share);
    [[nodiscard]] QRadioButton* StrictButton() const { return m_pStrict; }
    [[nodiscard]] QRadioButton* ShareButton() const { return m_pShare; }
    [[nodiscard]] QWidget* Legend() const { return m_pLegend; }

    /// The ramp of the legend, width x height pixels, 0 % at the left.
    [[nodiscard]] static QPixmap RampPixmap(int width, int height);
    /// A colour 0x00BBGGRR as a QColor.
    [[nodiscard]] static QColor ToQColor(uint32_t colorRef);

signals:
    void ViewChanged(bool share);

private:
    QRadioButton* m_pStrict = nullptr;
    QRadioButton* m_pShare = nullptr;
    QWidget* m_pLegend = nullptr;
};

/// The tool tip of a statistics cell, from the engine's share; empty where no log says
/// anything.
[[nodiscard]] QString PassShareToolTipText(const SPassShare& share);
