#include "fonts.h"

#include <QStringList>

namespace vortaxel::ui {
namespace {

QFont MakeFont(const QStringList& families, QFont::StyleHint hint, double pointSize, bool bold) {
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(hint);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

} // namespace

QFont SansSerifFont(double pointSize, bool bold) {
    return MakeFont({"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arimo", "Nimbus Sans", "DejaVu Sans"},
                    QFont::SansSerif, pointSize, bold);
}

QFont SerifFont(double pointSize, bool bold) {
    return MakeFont({"Georgia", "Gelasio", "Liberation Serif", "Tinos", "DejaVu Serif"}, QFont::Serif, pointSize, bold);
}

} // namespace vortaxel::ui
