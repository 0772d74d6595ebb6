// What the harvest engine is handed by the program: the store, the application folder, sounds,
// message boxes, settings, the List builder and the routes of the downloads; and the option
// controls of the main window, read at the moment of use.
#pragma once

#include "harvest/Endpoint.h"

#include <QList>
#include <QSslCertificate>
#include <cstdint>
#include <functional>
#include <string>

namespace tarnwick {

class Database;

// Opens and closes the List builder window for the phrase in txtSearch.
class ListBuilderLauncher {
public:
    virtual ~ListBuilderLauncher() = default;
    virtual void LoadListBuilder() = 0;   // load and show, modeless
    virtual void UnloadListBuilder() = 0; // unload if loaded; a no-op otherwise
};

// Starts a wave file and returns at once, never running pending events: the engine's steps are
// whole. Asked again while the same sound plays, it starts over; different sounds may overlap.
// A missing file plays nothing.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void PlaySoundFile(const std::string& path) = 0;
};

// The controls a validation message can hand the focus to.
enum class FocusTarget { None, Text1, Combo1, Combo2 };

// Message boxes. Texts are exact; an empty title means the program name.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    virtual void ShowMessage(const std::string& text, FocusTarget focus) = 0;            // OK button only
    virtual bool ConfirmOkCancel(const std::string& text, const std::string& title) = 0; // true on OK
};

// Per-user string values under the group "Settings".
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::string Read(const std::string& key, const std::string& fallback) = 0;
    virtual void Write(const std::string& key, const std::string& value) = 0;
};

// Option controls of the main window, read at the moment of use.
struct Options {
    bool chkAuto = false;
    int cmbAdvance = 2;    // index into 1,000 .. 500,000
    int cmbLastSearch = 0; // 0 "Stop Immediately", 1 "Continue Until Stopped", -1 none
    bool chkAudioEmail = true;
    bool chkAudioNext = true;
    bool chkAudioFinished = true;
    bool chkNonUS = true;
    bool chkAddFax = true;
    int Combo1 = -1;           // 0 "Google Search", 1 "Yahoo Search"
    int Combo2 = -1;           // 0..5 "~100 Domains" .. "~10000 Domains"
    bool chkSecureWeb = false; // https first, redirects, every link of a page
    // Settings key "allowPrivateAddresses": connections into the user's own network (loopback,
    // private, link-local) are refused unless this is on, for an intranet harvest or a test web.
    bool allowPrivateAddresses = false;
};

struct EngineServices {
    Database& database;
    std::string appFolder; // ends without a separator
    SoundPlayer& sounds;
    UserPrompts& prompts;
    SettingsStore& settings;
    EndpointResolver resolve;                       // empty: connect to host:80
    EndpointResolver resolveSecure = {};            // empty: connect to host:443
    QList<QSslCertificate> trustedAuthorities = {}; // TLS trust; empty: the system's
    // Milliseconds since 1970 for the per-host schedule; empty: the system clock.
    std::function<std::int64_t()> clock = {};
};

// The sounds of the application folder's "sounds" folder.
inline void PlaySound(const EngineServices& services, const char* fileName) {
    services.sounds.PlaySoundFile(services.appFolder + "/sounds/" + fileName);
}

} // namespace tarnwick
