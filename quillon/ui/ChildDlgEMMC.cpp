#include "ChildDlgEMMC.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>

using namespace quillon;

namespace {

// The profile seen through the panel model's store interface.
class CSettingsStore : public IEmmcProfileStore {
public:
    explicit CSettingsStore(QSettings& settings) : m_settings(settings) {}
    [[nodiscard]] std::optional<std::wstring> Read(const std::wstring& section,
                                                   const std::wstring& key) const override {
        const QVariant value = m_settings.value(Key(section, key));
        if (!value.isValid()) {
            return std::nullopt;
        }
        return value.toString().toStdWString();
    }
    void Write(const std::wstring& section, const std::wstring& key,
               const std::wstring& value) override {
        m_settings.setValue(Key(section, key), QString::fromStdWString(value));
    }

private:
    static QString Key(const std::wstring& section, const std::wstring& key) {
        return QString::fromStdWString(section) + QLatin1Char('/') + QString::fromStdWString(key);
    }
    QSettings& m_settings;
};

} // namespace

CChildDlgEMMC::CChildDlgEMMC(CChildDlgEMMCModel& model, QWidget* parent)
    : QWidget(parent), m_model(model) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* group = new QGroupBox(QStringLiteral("参数配置"), this);
    auto* grid = new QGridLayout(group);
    grid->setVerticalSpacing(2);
    // Names in the first pair of columns, maxima in the second, tags in the third.
    for (int field = 0; field < kEmmcFieldCount; ++field) {
        auto* label = new QLabel(group);
        auto* edit = new QLineEdit(group);
        edit->setMinimumWidth(70);
        const int column = (field / 4) * 2;
        grid->addWidget(label, field % 4, column, Qt::AlignRight);
        grid->addWidget(edit, field % 4, column + 1);
        m_arrLabels[size_t(field)] = label;
        m_arrEdits[size_t(field)] = edit;
        const auto which = static_cast<EEmmcField>(field);
        connect(edit, &QLineEdit::textEdited, this,
                [this, which](const QString& text) { m_model.SetField(which, text.toStdWString()); });
    }
    for (int column : {1, 3, 5}) {
        grid->setColumnStretch(column, 1);
    }
    layout->addWidget(group);
    Refresh();
}

void CChildDlgEMMC::SetMode(int logType, QSettings& profile) {
    const CSettingsStore store(profile);
    m_model.SetMode(logType, false, &store);
    Refresh();
}

void CChildDlgEMMC::SaveProfile(QSettings& profile) const {
    CSettingsStore store(profile);
    m_model.SaveToProfile(store);
}

void CChildDlgEMMC::Refresh() {
    for (int field = 0; field < kEmmcFieldCount; ++field) {
        const auto which = static_cast<EEmmcField>(field);
        m_arrLabels[size_t(field)]->setText(QString::fromStdWString(m_model.Label(which)));
        m_arrEdits[size_t(field)]->setText(QString::fromStdWString(m_model.Field(which)));
    }
}

void CChildDlgEMMC::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape belong to the panel, not to the main dialog around it.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
