#pragma once

#include "services/platform_services.h"

#include <QDialog>

namespace vortaxel::ui {

/// The About window `frmabout`: product, tagline, the project's web address (a click opens it),
/// credit and copyright, and "&Close". Shown modally and destroyed when closed.
class frmabout : public QDialog {
    Q_OBJECT
public:
    /// The address `Label3` shows and opens.
    static constexpr const char* kWebAddress = "https://vortaxel.example/";

    /// The launcher is not owned and must outlive the window.
    explicit frmabout(services::Launcher& launcher, QWidget* parent = nullptr);

    void cmdclose_Click();
    void Label3_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    services::Launcher& launcher_;
};

} // namespace vortaxel::ui
