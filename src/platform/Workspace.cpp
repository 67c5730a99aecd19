// Opening files through GIO, which honours the user's mimeapps.list choices.
#include "platform/Workspace.h"

#include <gio/gio.h>

namespace vellumry {

bool openWithDefaultApplication(const QByteArray &nativePath)
{
    if (nativePath.isEmpty() || nativePath.startsWith(':'))
        return false; // nothing, or a compiled-in resource
    GFile *file = g_file_new_for_path(nativePath.constData());
    char *uri = g_file_get_uri(file);
    GError *error = nullptr;
    const gboolean launched = g_app_info_launch_default_for_uri(uri, nullptr, &error);
    if (error)
        g_error_free(error);
    g_free(uri);
    g_object_unref(file);
    return launched;
}

} // namespace vellumry
