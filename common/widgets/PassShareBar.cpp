#include "PassShareBar.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QRadioButton>

namespace {

constexpr int kRampWidth = 160;
constexpr int kRampHeight = 14;

} // namespace

CPassShareBar::CPassShareBar(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    m_pStrict = new QRadioButton(QStringLiteral("Strict"), this);
    m_pShare = new QRadioButton(QStringLiteral("Pass share"), this);
    m_pStrict->setChecked(true);
    auto* group = new QButtonGroup(this);
    group->addButton(m_pStrict);
    group->addButton(m_pShare);
    layout->addWidget(m_pStrict);
    layout->addWidget(m_pShare);

    m_pLegend = new QWidget(this);
    auto* legend = new QHBoxLayout(m_pLegend);
    legend->setContentsMargins(12, 0, 0, 0);
    const std::vector<std::wstring> texts = PassShareLegendTexts();
    auto* low = new QLabel(QString::fromStdWString(texts.front()), m_pLegend);
    auto* ramp = new QLabel(m_pLegend);
    ramp->setObjectName(QStringLiteral("ramp"));
    ramp->setPixmap(RampPixmap(kRampWidth, kRampHeight));
    ramp->setFixedSize(kRampWidth, kRampHeight);
    ramp->setToolTip(QString::fromStdWString(texts[1]) + QStringLiteral(" in the middle"));
    auto* high = new QLabel(QString::fromStdWString(texts.back()), m_pLegend);
    legend->addWidget(low);
    legend->addWidget(ramp);
    legend->addWidget(high);
    layout->addWidget(m_pLegend);
    layout->addStretch(1);
    m_pLegend->setVisible(false);

    connect(m_pShare, &QRadioButton::toggled, this, [this](bool share) {
        m_pLegend->setVisible(share);
        emit ViewChanged(share);
    });
    // Screenshot runs of the programs can open their statistics pages in this view.
    if (qEnvironmentVariableIntValue("SUITE_PASS_SHARE_VIEW") == 1) {
        SetShareView(true);
    }
}

bool CPassShareBar::IsShareView() const {
    return m_pShare->isChecked();
}

void CPassShareBar::SetShareView(bool share) {
    (share ? m_pShare : m_pStrict)->setChecked(true);
}

QColor CPassShareBar::ToQColor(uint32_t colorRef) {
    return QColor(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                  static_cast<int>((colorRef >> 16) & 0xFF));
}

QPixmap CPassShareBar::RampPixmap(int width, int height) {
    QPixmap pixmap(width, height);
    QPainter painter(&pixmap);
    for (int x = 0; x < width; ++x) {
        const double share = width > 1 ? static_cast<double>(x) / (width - 1) : 1.0;
        painter.setPen(ToQColor(PassShareColor(share)));
        painter.drawLine(x, 0, x, height - 1);
    }
    return pixmap;
}

QString PassShareToolTipText(const SPassShare& share) {
    return QString::fromStdWString(PassShareToolTip(share));
}
