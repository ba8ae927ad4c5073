#include "platform/Display.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <cstring>

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace orb {
namespace {

QString env(const char* name) { return qEnvironmentVariable(name); }

// An X server answers at DISPLAY: asked through libxcb, as the toolkit would,
// loaded only for the asking so the program does not depend on it.
bool x11Answers(const QString& display)
{
    void* lib = dlopen("libxcb.so.1", RTLD_LAZY | RTLD_LOCAL);
    if (!lib) return true;  // no way to ask: the toolkit will tell
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    auto connect = reinterpret_cast<Connect>(dlsym(lib, "xcb_connect"));
    auto hasError = reinterpret_cast<HasError>(dlsym(lib, "xcb_connection_has_error"));
    auto disconnect = reinterpret_cast<Disconnect>(dlsym(lib, "xcb_disconnect"));
    bool answers = true;
    if (connect && hasError && disconnect) {
        void* c = connect(display.toLocal8Bit().constData(), nullptr);
        answers = c && hasError(c) == 0;
        if (c) disconnect(c);
    }
    dlclose(lib);
    return answers;
}

// A Wayland compositor listens on its socket: WAYLAND_DISPLAY (wayland-0 when
// unset), a name in XDG_RUNTIME_DIR or a whole path.
bool waylandAnswers(const QString& display)
{
    QString path = display;
    if (!path.startsWith('/')) {
        const QString runtime = env("XDG_RUNTIME_DIR");
        if (runtime.isEmpty()) return false;
        path = runtime + "/" + display;
    }
    const QByteArray bytes = path.toLocal8Bit();
    sockaddr_un address{};
    if (bytes.size() >= static_cast<qsizetype>(sizeof(address.sun_path))) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) return true;  // no way to ask: the toolkit will tell
    const bool answers = ::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    close(s);
    return answers;
}

// The platforms the toolkit tries, in its order.
QStringList platformsTried()
{
    const QString chosen = env("QT_QPA_PLATFORM");
    QStringList names;
    if (!chosen.isEmpty()) {
        for (const QString& p : chosen.split(';', Qt::SkipEmptyParts)) names << p.section(':', 0, 0).trimmed();
        return names;
    }
    if (!env("WAYLAND_DISPLAY").isEmpty() || env("XDG_SESSION_TYPE") == "wayland") names << "wayland";
    names << "xcb";
    return names;
}

}  // namespace

QString displayProblem()
{
    QStringList problems;
    for (const QString& platform : platformsTried()) {
        if (platform == "xcb") {
            const QString display = env("DISPLAY");
            if (display.isEmpty()) problems << "DISPLAY is not set";
            else if (!x11Answers(display)) problems << "the X display DISPLAY=" + display + " does not answer";
            else return {};
        } else if (platform.startsWith("wayland")) {
            if (!env("WAYLAND_SOCKET").isEmpty()) return {};
            QString display = env("WAYLAND_DISPLAY");
            if (display.isEmpty()) display = "wayland-0";
            if (waylandAnswers(display)) return {};
            problems << "the Wayland display WAYLAND_DISPLAY=" + display + " does not answer";
        } else {
            return {};  // a platform of its own, with no display server to ask
        }
    }
    return problems.join(", ");
}

}  // namespace orb
