#pragma once

#include <QString>

namespace vortaxel::ui {

/// Hands a web address to the desktop's browser without waiting for it. Tests give a fake.
class AddressLauncher {
public:
    virtual ~AddressLauncher() = default;
    virtual void OpenAddress(const QString& address) = 0;
};

/// The desktop's default browser, through QDesktopServices. A failed launch is ignored: the About
/// window has nothing useful to say about it and stays open.
class DesktopAddressLauncher : public AddressLauncher {
public:
    void OpenAddress(const QString& address) override;
};

} // namespace vortaxel::ui
