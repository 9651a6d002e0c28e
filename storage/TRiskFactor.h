#pragma once

#include <QString>

// One entry of a patient's risk-factor list, keyed by name.
struct TRiskFactor
{
    QString name;
    bool status = false; // present or not
    QString comment;

    bool operator==(const TRiskFactor& o) const
    {
        return name == o.name && status == o.status && comment == o.comment;
    }
    bool operator!=(const TRiskFactor& o) const { return !(*this == o); }
};
