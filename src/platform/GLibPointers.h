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

struct GStrvDeleter
{
    void operator()(gchar **strv) const { g_strfreev(strv); }
};
using GStrvPtr = std::unique_ptr<gchar *, GStrvDeleter>;

struct GErrorDeleter
{
    void operator()(GError *error) const { g_error_free(error); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorDeleter>;

struct GKeyFileDeleter
{
    void operator()(GKeyFile *file) const { g_key_file_free(file); }
};
using GKeyFilePtr = std::unique_ptr<GKeyFile, GKeyFileDeleter>;

struct GBookmarkFileDeleter
{
    void operator()(GBookmarkFile *file) const { g_bookmark_file_free(file); }
};
using GBookmarkFilePtr = std::unique_ptr<GBookmarkFile, GBookmarkFileDeleter>;

} // namespace vellumry
