#pragma once

#include "crawl/crawl_engine.h"
#include "crawl/crawl_host.h"
#include "export/platform_services.h"
#include "net/fetch_options.h"
#include "net/fetcher.h"

#include <memory>

#include <QMainWindow>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace vortaxel::ui {

class ClipPlayer;
class FoundListModel;

/// The main window `frmMain`: the URL field, the start and stop buttons with the busy animation,
/// the found list, the select-all box, "&Extract" and the Help menu. It is the crawl engine's host:
/// the engine's loop runs inside the handler that started it, and the window keeps handling input
/// and painting at every yield and throughout each page fetch.
class frmMain : public QMainWindow, private crawl::CrawlHost {
    Q_OBJECT
public:
    /// The clip "FINDCOMP.AVI" is looked for in `clipDirectory` only (the program's own directory).
    /// The services are not owned and must outlive the window.
    frmMain(keywords::PlatformServices services, QString clipDirectory, net::FetchOptions fetchOptions = {},
            QWidget* parent = nullptr);
    ~frmMain() override;

    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    crawl::CrawlEngine& Engine() { return engine_; }

    // Event handlers, as the controls call them.
    void cmdstart_Click();
    void txturl_KeyPress(int& keyAscii);
    void cmdstop_Click();
    void chkSelect_Click();
    void cmdsave_Click();
    void mnuAbout_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildMenu();
    void BuildControls();
    void Form_Load();

    // crawl::CrawlHost
    crawl::CheckValue SelectAllValue() override;
    std::string UrlText() override;
    void SetUrlText(const std::string& text) override;
    void FocusUrlField() override;
    void SetStartButtonVisible(bool visible) override;
    void SetAnimationVisible(bool visible) override;
    void SetCounterCaption(const std::string& caption) override;
    void ShowMessage(const std::string& text, const std::string& title) override;
    void Yield() override;
    crawl::FetchResult Fetch(const std::string& url) override;

    keywords::PlatformServices services_;
    QString clipDirectory_;
    net::Fetcher Inet1_;
    crawl::CrawlEngine engine_;
    std::unique_ptr<FoundListModel> model_;
    bool closing_ = false;
    bool placed_ = false;

    QLineEdit* txturl_ = nullptr;
    QPushButton* cmdstart_ = nullptr;
    QPushButton* cmdstop_ = nullptr;
    QPushButton* cmdsave_ = nullptr;
    QCheckBox* chkSelect_ = nullptr;
    QTableView* List2_ = nullptr;
    QLabel* Label5_ = nullptr;
    QLabel* lblcounter_ = nullptr;
    ClipPlayer* an_ = nullptr;
};

} // namespace vortaxel::ui
