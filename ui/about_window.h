#pragma once

#include <QDialog>

namespace vortaxel::ui {

class AddressLauncher;

/// The About window `frmabout`: product, tagline, the project's web address (a click opens it),
/// credit and copyright, and "&Close". Shown modally and destroyed when closed.
class frmabout : public QDialog {
    Q_OBJECT
public:
    /// The address `Label3` shows and opens.
    static constexpr const char* kWebAddress = "https://vortaxel.example/";

    explicit frmabout(AddressLauncher& launcher, QWidget* parent = nullptr);

    void cmdclose_Click();
    void Label3_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    AddressLauncher& launcher_;
};

} // namespace vortaxel::ui
