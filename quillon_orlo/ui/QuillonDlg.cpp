#include "QuillonDlg.h"

#include "AboutPicture.h"
#include "GridCtrl.h"
#include "MFCPageOrlo.h"
#include "MFCPageOrloMain.h"
#include "OrloCli.h"
#include "ProductVersion.h"
#include "PromptDlg.h"
#include "SettingsFile.h"
#include "SongFamilies.h"
#include "SpLog.h"
#include "TextUtil.h"
#include "XAboutDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QSettings>
#include <QTabBar>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <sstream>

const QString CQuillonDlg::kProfileOrganisation =
    QStringLiteral("Local AppWizard-Generated Applications");
const QString CQuillonDlg::kProfileApplication = QStringLiteral("QuillonOrlo");
const QString CQuillonDlg::kProfileSection = QStringLiteral("CQuillonDlg_Orlo");

namespace {

// The dialog as it opens, in pixels; every later size moves and grows controls by the
// difference (see resizeEvent).
constexpr int kDialogWidth = 1180;
constexpr int kDialogHeight = 900;

// Profile keys of the section CQuillonDlg_Orlo.
const QString kKeyNormalPath = QStringLiteral("常温路径");
const QString kKeyLowPath = QStringLiteral("低温路径");
const QString kKeyHighPath = QStringLiteral("高温路径");
const QString kKeyNormalThreshold = QStringLiteral("常温阀值");
const QString kKeyLowThreshold = QStringLiteral("低温阀值");
const QString kKeyHighThreshold = QStringLiteral("高温阀值");
const QString kKeyIncludeLow = QStringLiteral("统计低温");
const QString kKeyIncludeHigh = QStringLiteral("统计高温");

const char* const kRowLabels[3] = {"常温统计文件夹路径", "低温统计文件夹路径",
                                   "高温统计文件夹路径"};
const char* const kBrowseTitles[3] = {
    "选择Orlo常温日志文件所在目录", "选择Orlo低温日志文件所在目录", "选择Orlo高温日志文件所在目录"};

void MoveBy(QWidget* widget, int dx, int dy) {
    widget->move(widget->x() + dx, widget->y() + dy);
}

void GrowBy(QWidget* widget, int dx, int dy) {
    widget->resize(std::max(0, widget->width() + dx), std::max(0, widget->height() + dy));
}

} // namespace

CQuillonDlg::CQuillonDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Quillon for Orlo V3.0.0.16"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    if (QApplication::windowIcon().isNull()) {
        QIcon icon;
        icon.addPixmap(QPixmap::fromImage(MakeAboutIcon(16)));
        icon.addPixmap(QPixmap::fromImage(MakeAboutIcon(32)));
        setWindowIcon(icon);
    }
    QFont dialogFont;
    dialogFont.setFamilies(SongFamilies());
    dialogFont.setPointSize(9);
    setFont(dialogFont);

    CreateControls();
    // The check box mirrors IsCheckLogFile/Enable of the settings file.
    m_pCheckLog->setChecked(GetSettings().ReadCheckLogFile());

    LoadProfile();
    m_pClkwrEdit->setText(QStringLiteral("32"));
    UpdateIncludeState();
    ShowNotice();
}

CQuillonDlg::~CQuillonDlg() {
    // Pages show pages of the session's result, so they go first.
    DestroyPages();
}

CExportMenu::SSources CQuillonDlg::ExportSources() {
    CExportMenu::SSources sources;
    sources.m_grid = [this]() -> CGridCtrl* {
        const int index = m_pTabBar != nullptr ? m_pTabBar->currentIndex() : -1;
        return index >= 0 && index < static_cast<int>(m_pages.size())
                   ? m_pages[static_cast<size_t>(index)]->Grid()
                   : nullptr;
    };
    sources.m_title = [this]() {
        return m_pTabBar != nullptr ? m_pTabBar->tabText(m_pTabBar->currentIndex()) : QString();
    };
    sources.m_resultText = [this]() {
        const CMFCPageOrloMain* page = MainPage();
        return page != nullptr && page->VerdictShown() ? WidgetFormText(*page) : QString();
    };
    sources.m_report = [this](const QString& folder, std::string& error) {
        return WriteWindowReport(folder, error);
    };
    return sources;
}

bool CQuillonDlg::WriteWindowReport(const QString& folder, std::string& error) {
    // The report is the batch program's: the same scan of the same folders and settings,
    // run again quietly (questions answered No), so it matches --report.
    orlo::SOrloCliOptions options;
    options.strNormal = m_pDirEdit[kNormalRow]->text().toStdString();
    if (m_pIncludeLow->isChecked()) {
        options.low = m_pDirEdit[kLowRow]->text().toStdString();
    }
    if (m_pIncludeHigh->isChecked()) {
        options.high = m_pDirEdit[kHighRow]->text().toStdString();
    }
    options.settings = GetSettings().Path().string();
    options.report = folder.toStdString();
    options.strCommand = "QuillonOrlo: Export > Export report of " + options.strNormal;
    std::ostringstream out;
    std::ostringstream err;
    (void)orlo::RunOrloScan(options, out, err);
    if (err.str().find("report not written") != std::string::npos ||
        !std::filesystem::exists(std::filesystem::path(options.report.value()) / "report.html")) {
        error = err.str().empty() ? std::string("the scan wrote no report") : err.str();
        return false;
    }
    return true;
}

void CQuillonDlg::CreateControls() {
    m_pMenuBar = new QMenuBar(this);
    QMenu* help = m_pMenuBar->addMenu(QStringLiteral("Help"));
    QAction* about = help->addAction(QStringLiteral("&About Quillon..."));
    connect(about, &QAction::triggered, this, &CQuillonDlg::OnAbout);
    m_pExportMenu = new CExportMenu(ExportSources(), this);
    m_pMenuBar->addMenu(m_pExportMenu);
    const int top = m_pMenuBar->sizeHint().height();
    m_pMenuBar->setGeometry(0, 0, kDialogWidth, top);

    const int groupRight = kDialogWidth - 150;
    m_pGroup = new QGroupBox(QStringLiteral("日志分析"), this);
    m_pGroup->setGeometry(10, top + 6, groupRight - 10, 142);
    for (int row = 0; row < 3; ++row) {
        const int y = top + 32 + row * 40;
        m_pDirLabel[row] = new QLabel(QString::fromUtf8(kRowLabels[row]), this);
        m_pDirLabel[row]->setGeometry(22, y, 150, 24);
        m_pDirEdit[row] = new QLineEdit(this);
        m_pDirEdit[row]->setGeometry(175, y, groupRight - 305, 24);
        m_pBrowse[row] = new QPushButton(QStringLiteral("..."), this);
        m_pBrowse[row]->setAutoDefault(false);
        m_pBrowse[row]->setGeometry(groupRight - 122, y, 36, 24);
        connect(m_pBrowse[row], &QPushButton::clicked, this,
                [this, row]() { OnBrowse(static_cast<EDirRow>(row)); });
    }
    m_pIncludeLow = new QCheckBox(QStringLiteral("统计低温"), this);
    m_pIncludeLow->setGeometry(groupRight - 78, top + 32 + 40, 76, 24);
    m_pIncludeHigh = new QCheckBox(QStringLiteral("统计高温"), this);
    m_pIncludeHigh->setGeometry(groupRight - 78, top + 32 + 80, 76, 24);
    connect(m_pIncludeLow, &QCheckBox::toggled, this, &CQuillonDlg::UpdateIncludeState);
    connect(m_pIncludeHigh, &QCheckBox::toggled, this, &CQuillonDlg::UpdateIncludeState);

    m_pClkwrLabel = new QLabel(QStringLiteral("CLKWR模"), this);
    m_pClkwrLabel->setGeometry(groupRight + 14, top + 32, 60, 24);
    m_pClkwrEdit = new QLineEdit(this);
    m_pClkwrEdit->setEnabled(false);
    m_pClkwrEdit->setGeometry(groupRight + 76, top + 32, 50, 24);
    m_pScanButton = new QPushButton(QStringLiteral("扫描分析"), this);
    m_pScanButton->setDefault(true);
    m_pScanButton->setGeometry(groupRight + 14, top + 86, 112, 48);
    connect(m_pScanButton, &QPushButton::clicked, this, &CQuillonDlg::OnScan);

    m_pTabArea = new QFrame(this);
    m_pTabArea->setFrameShape(QFrame::StyledPanel);
    m_pTabArea->setGeometry(10, top + 158, kDialogWidth - 20, kDialogHeight - top - 158 - 36);
    m_pTabArea->hide(); // shown by the first scan that gets as far as scanning
    m_pTabBar = new QTabBar(m_pTabArea);
    m_pTabBar->setExpanding(false);
    m_pTabBar->setDrawBase(true);
    PlaceTabBar();
    connect(m_pTabBar, &QTabBar::currentChanged, this, &CQuillonDlg::OnTabSelected);

    m_pCheckLog = new QCheckBox(QStringLiteral("校验Log文件"), this);
    m_pCheckLog->setGeometry(kDialogWidth - 130, kDialogHeight - 30, 120, 24);

    m_lastSize = QSize(kDialogWidth, kDialogHeight);
    resize(m_lastSize);
    // Below this the rows and the tab area would have nothing left to shrink.
    setMinimumSize(800, 600);
}

void CQuillonDlg::LoadProfile() {
    QSettings profile(kProfileOrganisation, kProfileApplication);
    profile.beginGroup(kProfileSection);
    m_pDirEdit[kNormalRow]->setText(profile.value(kKeyNormalPath, QString()).toString());
    m_pDirEdit[kLowRow]->setText(profile.value(kKeyLowPath, QString()).toString());
    m_pDirEdit[kHighRow]->setText(profile.value(kKeyHighPath, QString()).toString());
    m_strNormalThreshold = profile.value(kKeyNormalThreshold, QStringLiteral("70")).toString();
    m_strLowThreshold = profile.value(kKeyLowThreshold, QStringLiteral("70")).toString();
    m_strHighThreshold = profile.value(kKeyHighThreshold, QStringLiteral("70")).toString();
    m_pIncludeLow->setChecked(profile.value(kKeyIncludeLow, 0).toInt() != 0);
    m_pIncludeHigh->setChecked(profile.value(kKeyIncludeHigh, 0).toInt() != 0);
}

void CQuillonDlg::SaveProfile() const {
    QSettings profile(kProfileOrganisation, kProfileApplication);
    profile.beginGroup(kProfileSection);
    profile.setValue(kKeyNormalPath, m_pDirEdit[kNormalRow]->text());
    profile.setValue(kKeyLowPath, m_pDirEdit[kLowRow]->text());
    profile.setValue(kKeyHighPath, m_pDirEdit[kHighRow]->text());
    profile.setValue(kKeyNormalThreshold, m_strNormalThreshold);
    profile.setValue(kKeyLowThreshold, m_strLowThreshold);
    profile.setValue(kKeyHighThreshold, m_strHighThreshold);
    profile.setValue(kKeyIncludeLow, m_pIncludeLow->isChecked() ? 1 : 0);
    profile.setValue(kKeyIncludeHigh, m_pIncludeHigh->isChecked() ? 1 : 0);
}

void CQuillonDlg::UpdateIncludeState() {
    const bool low = m_pIncludeLow->isChecked();
    const bool high = m_pIncludeHigh->isChecked();
    m_pDirEdit[kLowRow]->setEnabled(low);
    m_pBrowse[kLowRow]->setEnabled(low);
    m_pDirEdit[kHighRow]->setEnabled(high);
    m_pBrowse[kHighRow]->setEnabled(high);
}

void CQuillonDlg::ShowNotice() {
    if (m_pNotice) {
        return;
    }
    m_pNotice = new CPromptDlg(EPromptVariant::QuillonOrlo, this);
    m_pNotice->setObjectName(QStringLiteral("prompt"));
    m_pNotice->SetPlacementSource([this]() { return m_pTabArea->geometry(); });
    m_pNotice->show();
    m_pNotice->raise();
}

void CQuillonDlg::SetDirectories(const QString& normal, const QString& low, const QString& high) {
    m_pDirEdit[kNormalRow]->setText(normal);
    if (!low.isEmpty()) {
        m_pDirEdit[kLowRow]->setText(low);
        m_pIncludeLow->setChecked(true);
    }
    if (!high.isEmpty()) {
        m_pDirEdit[kHighRow]->setText(high);
        m_pIncludeHigh->setChecked(true);
    }
}

void CQuillonDlg::OnBrowse(EDirRow row) {
    const QString title = QString::fromUtf8(kBrowseTitles[row]);
    const QString current = m_pDirEdit[row]->text();
    const QString start = current.isEmpty() ? QDir::currentPath() : current;
    QString chosen;
    if (m_folderChooser) {
        chosen = m_folderChooser(title, start);
    } else {
        chosen = QFileDialog::getExistingDirectory(this, title, start, QFileDialog::ShowDirsOnly);
    }
    if (!chosen.isEmpty()) {
        m_pDirEdit[row]->setText(QDir::toNativeSeparators(chosen));
    }
}

void CQuillonDlg::OnAbout() {
    const SVersionBlock block{productinfo::kProductName, productinfo::kProductVersion,
                              productinfo::kLegalCopyright, productinfo::kSpecialBuild};
    CXAboutDlg about(block, true, this);
    // Which files this run uses: beside the program, or the user's own when installed.
    about.setToolTip(QString::fromStdWString(L"Settings file: " +
                                             PathToWide(GetSettings().Path()) +
                                             L"\nTool log: " + GetSpLog()->GetTextPath()));
    about.exec();
}

void CQuillonDlg::OnScan() {
    if (CScanProgressDlg::IsRunning()) {
        return; // reached through the repaints of a running scan
    }
    if (m_pNotice) {
        delete m_pNotice.data();
    }
    GetSettings().WriteCheckLogFile(m_pCheckLog->isChecked());
    SaveProfile();

    orlo::SOrloScanRequest request;
    request.m_strNormalDir = m_pDirEdit[kNormalRow]->text().toStdWString();
    request.m_strLowDir = m_pDirEdit[kLowRow]->text().toStdWString();
    request.m_strHighDir = m_pDirEdit[kHighRow]->text().toStdWString();
    request.m_bIncludeLow = m_pIncludeLow->isChecked();
    request.m_bIncludeHigh = m_pIncludeHigh->isChecked();
    // Past the normal-directory check the previous result goes; its pages go before it, so
    // that no page outlives the data it shows while a message box is open.
    if (!request.m_strNormalDir.empty()) {
        DestroyPages();
    }
    orlo::EOrloScanEnd end = orlo::EOrloScanEnd::NormalDirEmpty;
    {
        CScanProgressDlg progress(this, m_nProgressDelayMs);
        end = m_session.Scan(request, progress.Callback());
    }
    QLineEdit* focusBox = nullptr;
    switch (end) {
    case orlo::EOrloScanEnd::NormalDirEmpty:
        focusBox = m_pDirEdit[kNormalRow];
        break;
    case orlo::EOrloScanEnd::LowDirEmpty:
        focusBox = m_pDirEdit[kLowRow];
        break;
    case orlo::EOrloScanEnd::HighDirEmpty:
        focusBox = m_pDirEdit[kHighRow];
        break;
    case orlo::EOrloScanEnd::NoLogFile:
    case orlo::EOrloScanEnd::TooManyFiles:
        return;
    case orlo::EOrloScanEnd::ScanFailed:
        m_pTabArea->show();
        break;
    case orlo::EOrloScanEnd::Scanned:
        m_pTabArea->show();
        BuildPages();
        break;
    }
    if (focusBox != nullptr) {
        focusBox->selectAll();
        focusBox->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_session.ShowResultPrompt();
}

void CQuillonDlg::PlaceTabBar() {
    // The tab row fits in the 33 pixels the pages leave free at the top of the tab area.
    const int height = std::clamp(m_pTabBar->sizeHint().height(), 24, 31);
    m_pTabBar->setGeometry(2, 2, std::max(0, m_pTabArea->width() - 4), height);
}

void CQuillonDlg::DestroyPages() {
    for (CMFCPageOrlo* page : m_pages) {
        delete page;
    }
    m_pages.clear();
}

void CQuillonDlg::BuildPages() {
    const orlo::OrloPageList* result = m_session.Result();
    if (result == nullptr || result->Merged() == nullptr) {
        return;
    }
    const int nPages = static_cast<int>(result->PageCount());
    {
        const QSignalBlocker blocker(m_pTabBar);
        while (m_pTabBar->count() > 0) {
            m_pTabBar->removeTab(m_pTabBar->count() - 1);
        }
        for (const std::wstring& name : result->TabNames()) {
            m_pTabBar->addTab(QString::fromStdWString(PathDisplayName(name)));
        }
        m_pTabBar->setCurrentIndex(0);
    }
    PlaceTabBar();
    auto* main = new CMFCPageOrloMain(result->Merged(), nPages, this);
    main->SetShareList(result);
    m_pages.push_back(main);
    for (const auto& page : result->Pages()) {
        m_pages.push_back(new CMFCPageOrlo(page.get(), nPages, this));
    }
    for (CMFCPageOrlo* page : m_pages) {
        page->hide();
    }
    PlacePages();
    OnTabSelected(0);
}

CMFCPageOrloMain* CQuillonDlg::MainPage() const {
    return m_pages.empty() ? nullptr : static_cast<CMFCPageOrloMain*>(m_pages.front());
}

QRect CQuillonDlg::PageRect(int index, const QSize& dialogSize) const {
    // Pages sit in the tab area below the tab row; their sizes follow the dialog's.
    const QPoint origin = m_pTabArea->pos();
    const int height = std::max(0, dialogSize.height() - 260);
    if (index == 0) {
        return QRect(origin.x() + 4, origin.y() + 33, std::max(0, dialogSize.width() - 36), height);
    }
    return QRect(origin.x() + 5, origin.y() + 33, std::max(0, dialogSize.width() - 40), height);
}

void CQuillonDlg::PlacePages() {
    for (size_t i = 0; i < m_pages.size(); ++i) {
        m_pages[i]->setGeometry(PageRect(static_cast<int>(i), size()));
    }
}

void CQuillonDlg::OnTabSelected(int index) {
    for (size_t i = 0; i < m_pages.size(); ++i) {
        if (static_cast<int>(i) != index) {
            m_pages[i]->hide();
        }
    }
    if (index >= 0 && index < static_cast<int>(m_pages.size())) {
        m_pages[index]->setGeometry(PageRect(index, size()));
        m_pages[index]->Initialise();
        m_pages[index]->show();
        m_pages[index]->raise();
    }
    CMFCPageOrloMain* main = MainPage();
    if (index != 0 || main == nullptr || m_session.Result() == nullptr) {
        return;
    }
    const orlo::SOrloAnalysis analysis = m_session.AnalyseMergedPage();
    main->ShowVerdict(analysis.m_bPass, analysis.m_strReason);
    if (analysis.m_bBestRun) {
        main->ShowBestSet(analysis.m_nDqsDrv, analysis.m_nDataDrv, analysis.m_nCtl,
                          analysis.m_nClkDrv, analysis.m_nClkwr);
    }
}

void CQuillonDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const QSize now = event->size();
    const int dx = now.width() - m_lastSize.width();
    const int dy = now.height() - m_lastSize.height();
    m_lastSize = now;
    m_pMenuBar->resize(now.width(), m_pMenuBar->height());
    if (dx != 0 || dy != 0) {
        const std::initializer_list<QWidget*> rightColumn = {
            m_pBrowse[0],   m_pBrowse[1],  m_pBrowse[2], m_pIncludeLow,
            m_pIncludeHigh, m_pClkwrLabel, m_pClkwrEdit, m_pScanButton};
        for (QWidget* widget : rightColumn) {
            MoveBy(widget, dx, 0);
        }
        MoveBy(m_pCheckLog, dx, dy);
        const std::initializer_list<QWidget*> growing = {m_pDirEdit[0], m_pDirEdit[1],
                                                         m_pDirEdit[2], m_pGroup};
        for (QWidget* widget : growing) {
            GrowBy(widget, dx, 0);
        }
        GrowBy(m_pTabArea, dx, dy);
        PlaceTabBar();
    }
    PlacePages();
}
