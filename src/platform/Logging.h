// The program's one logging category, "vellumry", for its few diagnostic lines.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcVellumry)
