// The program's logging category, defined in the core so every front end shares it.
#include "platform/Logging.h"

Q_LOGGING_CATEGORY(lcVellumry, "vellumry")
