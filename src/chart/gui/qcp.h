// The one way in to QCustomPlot. Its header uses the `signals` and `foreach`
// keywords, which the project switches off (QT_NO_KEYWORDS); they are
// defined around the include and removed again. Include this from .cpp files
// only: the header is large and slow to compile.
#pragma once

#ifndef signals
#define VANTORA_QCP_SIGNALS
#define signals Q_SIGNALS
#endif
#ifndef slots
#define VANTORA_QCP_SLOTS
#define slots Q_SLOTS
#endif
#ifndef foreach
#define VANTORA_QCP_FOREACH
#define foreach Q_FOREACH
#endif

#include <qcustomplot.h>

#ifdef VANTORA_QCP_SIGNALS
#undef signals
#undef VANTORA_QCP_SIGNALS
#endif
#ifdef VANTORA_QCP_SLOTS
#undef slots
#undef VANTORA_QCP_SLOTS
#endif
#ifdef VANTORA_QCP_FOREACH
#undef foreach
#undef VANTORA_QCP_FOREACH
#endif
