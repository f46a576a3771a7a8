#pragma once

#include <VeltoPluginKit/VeltoPluginKitExport.h>

namespace velto {

/**
 * Optional second role of a widget that looks up the machine's public address.
 * The host finds it at run time with dynamic_cast on the widget.
 */
class VELTOPLUGINKIT_EXPORT PublicIPToggleable {
public:
    virtual ~PublicIPToggleable();

    virtual void setPublicIPLookupEnabled(bool enabled) = 0;

protected:
    PublicIPToggleable() = default;
    PublicIPToggleable(const PublicIPToggleable&) = delete;
    PublicIPToggleable& operator=(const PublicIPToggleable&) = delete;
};

} // namespace velto
