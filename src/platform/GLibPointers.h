// Owning pointers for GLib objects and strings, so every early return lets go of them.
#pragma once

#include <glib-object.h>

#include <memory>

namespace vellumry {

struct GObjectDeleter
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T> using GObjectPtr = std::unique_ptr<T, GObjectDeleter>;

struct GFreeDeleter
{
    void operator()(gpointer memory) const { g_free(memory); }
};
using GCharPtr = std::unique_ptr<char, GFreeDeleter>;

} // namespace vellumry
