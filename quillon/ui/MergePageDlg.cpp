#include "MergePageDlg.h"

#include "MergePageEMMCModel.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace quillon;

CMergePageDlg::CMergePageDlg(const CLogPageBase& page, const SEmmcNames& names,
                             CMergePageEMMCModel& model, bool maximised, QWidget* parent)
    : CMFCPageEMMC(page, names, maximised, parent), m_model(model) {
    auto* group = new QGroupBox(QStringLiteral("推荐取值"), this);
    auto* row = new QHBoxLayout(group);
    for (int which = 0; which < 4; ++which) {
        auto* label = new QLabel(QString::fromWCharArray(CMergePageEMMCModel::kLayoutLabels[which]),
                                 group);
        auto* value = new QLineEdit(group);
        value->setMaximumWidth(120);
        row->addWidget(label);
        row->addWidget(value);
        row->addSpacing(12);
        m_arrLabels[size_t(which)] = label;
        m_arrValues[size_t(which)] = value;
        const auto key = static_cast<CMergePageEMMCModel::EValue>(which);
        connect(value, &QLineEdit::textEdited, this, [this, key](const QString& text) {
            m_model.SetValue(key, text.toStdWString());
        });
    }
    row->addStretch(1);
    PageLayout()->addWidget(group);
}

void CMergePageDlg::Initialise() {
    CMFCPageEMMC::Initialise();
    for (int which = 0; which < 4; ++which) {
        const auto key = static_cast<CMergePageEMMCModel::EValue>(which);
        m_arrLabels[size_t(which)]->setText(QString::fromStdWString(m_model.Label(key)));
        m_arrValues[size_t(which)]->setText(QString::fromStdWString(m_model.Value(key)));
    }
}
