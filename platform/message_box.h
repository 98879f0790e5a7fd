#pragma once

#include "services/platform_services.h"

#include <string>

#include <QPointer>
#include <QWidget>

namespace vortaxel::platform {

/// QMessageBox. The text is shown as plain text, so a URL or path with markup in it is shown as typed.
class QtMessageBox final : public services::MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr);

    void Show(const std::string& text, const std::string& title, services::MessageIcon icon) override;
    bool Ask(const std::string& text, const std::string& title) override;

private:
    QPointer<QWidget> parent_;
};

} // namespace vortaxel::platform
