// The thumbnailer registry, Exec lines, and making thumbnails with child processes.
#include "views/Thumbnailers.h"

#include "platform/ChildProcess.h"
#include "platform/GLibPointers.h"
#include "platform/NativePath.h"
#include "platform/RegularFile.h"

#include <QFile>
#include <QImageReader>
#include <QMimeDatabase>
#include <QSemaphore>

#include <algorithm>
#include <chrono>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

bool isExecutableFile(const QByteArray &path)
{
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.constData(), X_OK) == 0;
}

// An absolute program path as exec would find it: a name with a slash as it is, else the first match in PATH.
QByteArray findProgram(const QByteArray &name)
{
    if (name.contains('/'))
        return name.startsWith('/') && isExecutableFile(name) ? name : QByteArray();
    const QByteArray path = qEnvironmentVariableIsSet("PATH") ? qgetenv("PATH") : QByteArray("/usr/bin:/bin");
    for (const QByteArray &folder : path.split(':')) {
        const QByteArray candidate = joinNativePath(folder.isEmpty() ? QByteArray(".") : folder, name);
        if (candidate.startsWith('/') && isExecutableFile(candidate))
            return candidate;
    }
    return {};
}

QList<QByteArray> dataFolders()
{
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    QList<QByteArray> folders{dataHome.startsWith('/') ? dataHome
                                                       : QByteArray(qgetenv("HOME") + "/.local/share")};
    QByteArray dirs = qgetenv("XDG_DATA_DIRS");
    if (dirs.isEmpty())
        dirs = "/usr/local/share:/usr/share";
    for (const QByteArray &dir : dirs.split(':'))
        if (dir.startsWith('/'))
            folders.append(dir);
    return folders;
}

QList<QByteArray> thumbnailerFiles(const QByteArray &folder)
{
    QList<QByteArray> files;
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return files;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.endsWith(".thumbnailer") && !name.startsWith('.'))
            files.append(joinNativePath(folder, name));
    }
    ::closedir(dir);
    std::sort(files.begin(), files.end());
    return files;
}

std::optional<Thumbnailer> readThumbnailer(const QByteArray &path, const QMimeDatabase &mimes)
{
    GKeyFilePtr keys(g_key_file_new());
    if (!isRegularFile(path) ||
        !g_key_file_load_from_file(keys.get(), path.constData(), G_KEY_FILE_NONE, nullptr))
        return std::nullopt;
    const char *group = "Thumbnailer Entry";
    const GCharPtr tryExec(g_key_file_get_string(keys.get(), group, "TryExec", nullptr));
    if (tryExec && *tryExec.get() && findProgram(QByteArray(tryExec.get())).isEmpty())
        return std::nullopt;
    const GCharPtr exec(g_key_file_get_string(keys.get(), group, "Exec", nullptr));
    gsize count = 0;
    const GStrvPtr types(g_key_file_get_string_list(keys.get(), group, "MimeType", &count, nullptr));
    if (!exec || !types)
        return std::nullopt;
    Thumbnailer thumbnailer{path, {}, QString::fromUtf8(exec.get()), {}};
    const auto words = thumbnailerArguments(thumbnailer.exec, {}, {}, {}, 0);
    if (!words || words->isEmpty())
        return std::nullopt;
    thumbnailer.program = findProgram(words->first());
    if (thumbnailer.program.isEmpty())
        return std::nullopt;
    for (gsize i = 0; i < count; ++i) {
        const QString name = QString::fromUtf8(types.get()[i]).trimmed();
        const QMimeType type = mimes.mimeTypeForName(name);
        if (!name.isEmpty())
            thumbnailer.mimeTypes.append(type.isValid() ? type.name() : name);
    }
    if (thumbnailer.mimeTypes.isEmpty())
        return std::nullopt;
    return thumbnailer;
}

// Opens a regular file by its exact bytes without ever waiting on a pipe or a device.
bool openForReading(QFile &file, const QByteArray &nativePath)
{
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return true;
    if (fd >= 0)
        ::close(fd);
    return false;
}

// Decodes the picture Qt can read, fitted into `pixels`; null when Qt cannot read it.
QImage decodePicture(const QByteArray &nativePath, int pixels)
{
    QFile file;
    if (!openForReading(file, nativePath))
        return {};
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    if (reader.format().isEmpty())
        return {};
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > pixels || size.height() > pixels))
        reader.setScaledSize(size.scaled(pixels, pixels, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    return reader.read();
}

// The bytes of text, as UTF-8, appended to a word.
void appendText(QByteArray &word, QStringView text)
{
    word += text.toUtf8();
}

} // namespace

std::optional<QList<QByteArray>> thumbnailerArguments(const QString &exec, const QByteArray &input,
                                                      const QByteArray &uri, const QByteArray &output,
                                                      int size)
{
    QList<QByteArray> words;
    QByteArray word;
    bool inWord = false, quoted = false;
    bool kept = false; // the word holds more than dropped codes (an empty quoted word counts)
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (!quoted && (c == u' ' || c == u'\t' || c == u'\n')) {
            if (inWord && kept)
                words.append(std::exchange(word, {}));
            inWord = kept = false;
            continue;
        }
        inWord = true;
        kept = kept || c != u'%' || (i + 1 < exec.size() && u"iuos%"_s.contains(exec.at(i + 1)));
        if (c == u'"') {
            quoted = !quoted;
        } else if (quoted && c == u'\\' && i + 1 < exec.size() && u"\"`$\\"_s.contains(exec.at(i + 1))) {
            appendText(word, QStringView(exec).mid(++i, 1));
        } else if (c == u'%' && i + 1 < exec.size()) {
            switch (exec.at(++i).unicode()) {
            case u'i':
                word += input;
                break;
            case u'u':
                word += uri;
                break;
            case u'o':
                word += output;
                break;
            case u's':
                word += QByteArray::number(size);
                break;
            case u'%':
                word += '%';
                break;
            default:
                break; // a code thumbnailers do not use: dropped
            }
        } else {
            appendText(word, QStringView(exec).mid(i, 1));
        }
    }
    if (quoted)
        return std::nullopt;
    if (inWord && kept)
        words.append(word);
    if (words.isEmpty())
        return std::nullopt;
    return words;
}

QString mimeTypeOfFile(const QByteArray &nativePath)
{
    static const QMimeDatabase mimes;
    const QString name = QString::fromUtf8(lastPathComponent(nativePath));
    QFile file;
    if (openForReading(file, nativePath))
        return mimes.mimeTypeForFileNameAndData(name, &file).name();
    return mimes.mimeTypeForFile(name, QMimeDatabase::MatchExtension).name();
}

ThumbnailerRegistry ThumbnailerRegistry::fromEnvironment()
{
    const QMimeDatabase mimes;
    ThumbnailerRegistry registry;
    for (const QByteArray &folder : dataFolders()) {
        for (const QByteArray &file : thumbnailerFiles(folder + "/thumbnailers")) {
            std::optional<Thumbnailer> thumbnailer = readThumbnailer(file, mimes);
            if (!thumbnailer)
                continue;
            for (const QString &type : std::as_const(thumbnailer->mimeTypes))
                if (!registry.m_byType.contains(type)) // the first found wins
                    registry.m_byType.insert(type, registry.m_thumbnailers.size());
            registry.m_thumbnailers.append(std::move(*thumbnailer));
        }
    }
    return registry;
}

const Thumbnailer *ThumbnailerRegistry::forMimeType(const QString &mimeType) const
{
    static const QMimeDatabase mimes;
    const QMimeType type = mimes.mimeTypeForName(mimeType);
    QStringList names{type.isValid() ? type.name() : mimeType};
    if (type.isValid())
        names += type.allAncestors();
    for (const QString &name : std::as_const(names))
        if (const auto found = m_byType.constFind(name); found != m_byType.constEnd())
            return &m_thumbnailers.at(*found);
    return nullptr;
}

ThumbnailMaker::ThumbnailMaker(ThumbnailerRegistry registry, int timeoutMs)
    : m_registry(std::move(registry)), m_timeoutMs(timeoutMs)
{}

ThumbnailResult ThumbnailMaker::make(const QByteArray &nativePath, ThumbnailSize size, Sources sources) const
{
    ThumbnailResult result;
    const std::optional<ThumbnailKey> key = thumbnailKeyOf(nativePath, &result.failure);
    if (!key)
        return result;
    result.image = readCachedThumbnail(*key, size);
    if (!result.image.isNull()) {
        result.cacheFile = thumbnailCacheFile(key->uri, size);
        return result;
    }
    if (hasFailRecord(*key)) {
        result.failure = u"an earlier attempt failed"_s;
        return result;
    }
    if (sources == Sources::PicturesAndThumbnailers) {
        result.image = decodePicture(key->nativePath, thumbnailPixels(size));
        if (!result.image.isNull()) {
            if (const int error = storeThumbnail(result.image, *key, size))
                result.failure = u"cannot write the cache: "_s + fileErrorText(error);
            else
                result.cacheFile = thumbnailCacheFile(key->uri, size);
            return result;
        }
    }
    const QString type = mimeTypeOfFile(key->nativePath);
    const Thumbnailer *thumbnailer = m_registry.forMimeType(type);
    if (!thumbnailer) {
        result.failure = u"no thumbnailer for "_s + type;
        return result;
    }
    return runThumbnailer(*thumbnailer, *key, size);
}

ThumbnailResult ThumbnailMaker::runThumbnailer(const Thumbnailer &thumbnailer, const ThumbnailKey &key,
                                               ThumbnailSize size) const
{
    ThumbnailResult result;
    makeThumbnailCacheFolder();
    // The thumbnailer writes to a name of our own beside the cache; the entry itself is written by us,
    // with the chunks the convention asks for.
    const QByteArray output = makeThumbnailScratch();
    if (output.isEmpty()) {
        result.failure = u"cannot write the cache: "_s + fileErrorText(errno);
        return result;
    }

    const int pixels = thumbnailPixels(size);
    const auto arguments = thumbnailerArguments(thumbnailer.exec, key.nativePath, key.uri, output, pixels);
    ProcessResult run;
    auto took = std::chrono::steady_clock::duration::zero();
    if (arguments) {
        static QSemaphore running(kMaxRunning);
        running.acquire();
        const QSemaphoreReleaser release(running);
        const auto started =
            std::chrono::steady_clock::now(); // the limit counts from the start, not the wait
        // At a low priority: pictures of files are background work, never worth slowing a scan for.
        run = runProcess(thumbnailer.program, arguments->mid(1), m_timeoutMs, 10);
        took = std::chrono::steady_clock::now() - started;
    }
    QFile written;
    if (run.succeeded() && openForReading(written, output)) {
        QImageReader reader(&written); // whatever format the thumbnailer chose
        result.image = reader.read();
    }
    removeThumbnailScratch(output);

    if (!arguments || !run.started)
        result.failure = u"the thumbnailer cannot be started"_s;
    else if (!run.exitedNormally && took >= std::chrono::milliseconds(m_timeoutMs))
        result.failure = u"the thumbnailer took longer than %1 s"_s.arg(m_timeoutMs / 1000.0);
    else if (!run.exitedNormally)
        result.failure = u"the thumbnailer was killed"_s;
    else if (run.exitCode != 0)
        result.failure = u"the thumbnailer failed (exit status %1)"_s.arg(run.exitCode);
    else if (result.image.isNull())
        result.failure = u"the thumbnailer made no picture"_s;
    if (!result.failure.isEmpty()) {
        storeFailRecord(key);
        return result;
    }
    if (const int error = storeThumbnail(result.image, key, size))
        result.failure = u"cannot write the cache: "_s + fileErrorText(error);
    else
        result.cacheFile = thumbnailCacheFile(key.uri, size);
    if (result.image.width() > pixels || result.image.height() > pixels)
        result.image = result.image.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return result;
}

std::shared_ptr<const ThumbnailMaker> sharedThumbnailMaker()
{
    static const auto maker = std::make_shared<const ThumbnailMaker>(ThumbnailerRegistry::fromEnvironment());
    return maker;
}

} // namespace vellumry
