#pragma once

#include <QString>

// The number of a new waybill, continued from the previous month's one.
class WaybillNumber {
public:
    // Numbers run from 1 to 12 and start again at "01". The leading zeros
    // and whatever follows the digits are kept: "09" gives "010", "07/А"
    // gives "08/А", "12-К" gives "01-К". A previous number without leading
    // digits gives "01". Throws OrvetError("'<digits>' is not a valid
    // integer value") when the digits exceed a 32-bit integer.
    static QString next(const QString &previous);
};
