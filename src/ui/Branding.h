// The three branding values, filled once at start-up from the build's product information.
#pragma once

#include <QString>

namespace tarnwick {

struct Branding {
    QString programName;
    QString companyName;
    QString websiteAddress;
    int versionMajor = 0;
    int versionMinor = 0;
};

inline Branding LoadBranding() {
    return {QStringLiteral(TARNWICK_PRODUCT_NAME), QStringLiteral(TARNWICK_COMPANY_NAME),
            QStringLiteral(TARNWICK_WEBSITE_ADDRESS), TARNWICK_VERSION_MAJOR, TARNWICK_VERSION_MINOR};
}

} // namespace tarnwick
