#pragma once
#include <QtGlobal>

#if defined(JEX_RUNTIME_LIBRARY)
#define JEX_RUNTIME_EXPORT Q_DECL_EXPORT
#else
#define JEX_RUNTIME_EXPORT Q_DECL_IMPORT
#endif
