// Opening files with the desktop's default applications.
#pragma once

#include <QByteArray>

namespace vellumry {

// Opens the file or folder with the default application of its content type. Answers whether an
// application was started; a failure is silent to the user.
bool openWithDefaultApplication(const QByteArray &nativePath);

} // namespace vellumry
