#pragma once
#include "reports/engine/Layout.h"

#include <QColor>

// The frame the four journal summaries share: A4 portrait, a grey heading
// with the title label QRLabel1 and the column headings on the first page,
// a half-millimetre spacer, the group and detail bands of each report, a
// framed grey box with "Итого:" and the grand totals at the end, and the
// page number at 176 mm in every page's footer.
namespace SummaryFrame {

inline constexpr Report::Font kLabel{10, true};  // labels and group headers
inline constexpr Report::Font kDetail{9, false}; // detail lines
inline constexpr Report::Font kSum{9, true};     // group sums
inline constexpr Report::Font kTotal{11, true};  // grand totals
inline const QColor kHeadingShade{0xE6, 0xE6, 0xE6};
inline const QColor kGroupShade{0xD2, 0xD2, 0xD2};
inline const QColor kTotalShade{0xD2, 0xD2, 0xD2};

inline const QString kKindText = QStringLiteral("IF(naimen=0,'Готовая продукция','Заготовки')");
inline const QString kColourText =
    QStringLiteral("if(color>0,if(color=1,' (грунт)',' (RAL: '+STR(color)+')'),' ')");

// Heights in millimetres.
inline constexpr double kGroupHeight = 6;
inline constexpr double kDetailHeight = 4.5;
inline constexpr double kSumHeight = 5;

// `headings` go on the heading band's second line; the grand-total band gets
// `totals`, boxed from `totalBoxX` to the right edge.
Report::Layout Make(const QString &name, const QList<Report::Item> &headings, const QList<Report::Item> &totals,
                    double totalBoxX);

// A group header breaking on `field` with the field's value in bold.
Report::Group GroupOn(const QString &field, bool outer, double valueWidth = 190);

} // namespace SummaryFrame
