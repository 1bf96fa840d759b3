// KMAPPSCR.DLL: a launcher support library for the cache's tests (see
// script_library.h). Only the entry points the extension binds are here.
#include "script_library.h"

#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "vpr/directory/client.h"

namespace {

struct App {
    std::string folder, name;
    DWORD flags, state;
};
struct Texts {
    std::string caption, context = "context";
    bool installed = false;
};

struct Script {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<App> apps;
    std::map<std::string, Texts> texts;
    bool hold = false;
    bool held = false;
    LONG liveLists = 0;
    DWORD result = 0, detail = 0;
    bool setBuffer = false;
    std::string buffer;
    int replaceQuestions = 0;
    void (*during)(void*) = nullptr;
    void* duringData = nullptr;
    std::string events;
    std::string eventsCopy;  // what ScriptEvents handed out last
};

Script& TheScript() {
    static Script script;
    return script;
}

char* Copy(const std::string& text) {
    char* copy = new char[text.size() + 2]();
    std::memcpy(copy, text.data(), text.size());
    return copy;
}

void Note(const std::string& line) {
    Script& s = TheScript();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.events += line + "\n";
}

}  // namespace

extern "C" {

// ---- test controls ----

void ScriptReset() {
    Script& s = TheScript();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.apps.clear();
    s.texts.clear();
    s.hold = s.held = false;
    s.result = s.detail = 0;
    s.setBuffer = false;
    s.buffer.clear();
    s.replaceQuestions = 0;
    s.during = nullptr;
    s.duringData = nullptr;
    s.events.clear();
    s.changed.notify_all();
}

void ScriptAddApp(LPCSTR folder, LPCSTR application, DWORD flags, DWORD state) {
    Script& s = TheScript();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.apps.push_back({folder, application, flags, state});
}

void ScriptSetState(LPCSTR application, DWORD state) {
    Script& s = TheScript();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (App& app : s.apps)
        if (app.name == application) app.state = state;
}

void ScriptSetCaption(LPCSTR application, LPCSTR caption) {
    Script& s = TheScript();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.texts[application].caption = caption;
}

void ScriptSetContext(LPCSTR application, LPCSTR context) {
    Script& s = TheScript();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.texts[application].context = context;
}

void ScriptSetInstalled(LPCSTR application, BOOL installed) {
    Script& s = TheScript();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.texts[application].installed = installed != FALSE;
}

void ScriptHold(BOOL hold) {
    Script& s = TheScript();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.hold = hold != FALSE;
    s.changed.notify_all();
}

void ScriptWaitHeld() {
    Script& s = TheScript();
    std::unique_lock<std::mutex> lock(s.mutex);
    s.changed.wait(lock, [&] { return s.held; });
}

void ScriptRelease() { ScriptHold(FALSE); }

LONG ScriptLiveLists() {
    Script& s = TheScript();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.liveLists;
}

void ScriptSetLaunch(DWORD result, DWORD detail, LPCSTR buffer, int replaceQuestions) {
    Script& s = TheScript();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.result = result;
    s.detail = detail;
    s.setBuffer = buffer != nullptr;
    s.buffer = buffer ? buffer : "";
    s.replaceQuestions = replaceQuestions;
}

void ScriptDuringLaunch(void (*callback)(void*), void* data) {
    Script& s = TheScript();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.during = callback;
    s.duringData = data;
}

LPCSTR ScriptEvents() {
    // No thread-local storage here: a library that is unloaded must leave
    // none behind.
    Script& s = TheScript();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.eventsCopy = s.events;
    return s.eventsCopy.c_str();
}

// ---- the library's entry points ----

DIR_CONTEXT KMAPPAllocContextHandle(void) {
    DIR_CONTEXT context = DirCreateContext();
    return context > 0 ? context : -328;
}

void KMAPPFreeContextHandle(DIR_CONTEXT context) { DirFreeContext(context); }

KmappFolder* KMAPPGetFoldersEx(DIR_CONTEXT, LPCSTR, DWORD, DWORD, DWORD) {
    Script& s = TheScript();
    std::unique_lock<std::mutex> lock(s.mutex);
    if (s.hold) {
        s.held = true;
        s.changed.notify_all();
        s.changed.wait(lock, [&] { return !s.hold; });
        s.held = false;
    }
    KmappFolder* first = nullptr;
    for (const App& app : s.apps) {
        KmappFolder** link = &first;
        while (*link && app.folder != (*link)->name) link = &(*link)->next;
        if (!*link) *link = new KmappFolder{Copy(app.folder), Copy(app.folder), 0, nullptr, nullptr};
        KmappFolder* folder = *link;
        KmappApplication** appLink = &folder->applications;
        while (*appLink) appLink = &(*appLink)->next;
        auto* record = new KmappApplication{};
        record->name = Copy(app.name);
        record->flags = app.flags;
        record->state = app.state;
        record->context = Copy(s.texts[app.name].context);
        record->guid = Copy(app.name);
        *appLink = record;
        folder->flags |= app.flags;
    }
    if (first) ++s.liveLists;
    return first;
}

void KMAPPFreeGetFoldersEx(KmappFolder* list) {
    if (!list) return;
    {
        Script& s = TheScript();
        std::lock_guard<std::mutex> lock(s.mutex);
        --s.liveLists;
    }
    while (list) {
        KmappFolder* next = list->next;
        for (KmappApplication* app = list->applications; app;) {
            KmappApplication* following = app->next;
            delete[] app->name;
            delete[] app->context;
            delete[] app->guid;
            delete app;
            app = following;
        }
        delete[] list->sources;
        delete[] list->name;
        delete list;
        list = next;
    }
}

KmappAttribute* KMAPPGetObjectAttributes(DIR_CONTEXT, LPCSTR object, const LPCSTR*, DWORD) {
    Script& s = TheScript();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto found = s.texts.find(object ? object : "");
    if (found == s.texts.end() || found->second.caption.empty()) return nullptr;
    const std::string& caption = found->second.caption;
    auto* value = new KmappValue{0, Copy(caption), static_cast<DWORD>(caption.size()), nullptr};
    return new KmappAttribute{Copy("Description"), value, nullptr};
}

void KMAPPFreeGetObjectAttributes(KmappAttribute* list) {
    while (list) {
        KmappAttribute* next = list->next;
        for (KmappValue* value = list->values; value;) {
            KmappValue* following = value->next;
            delete[] static_cast<char*>(value->data);
            delete value;
            value = following;
        }
        delete[] list->name;
        delete list;
        list = next;
    }
}

BYTE KMAPPIsInstalled(LPCSTR, LPCSTR, LPCSTR guid) {
    // The record's second text is the application's name.
    Script& s = TheScript();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto found = s.texts.find(guid ? guid : "");
    return found != s.texts.end() && found->second.installed ? 1 : 0;
}

LONG KMAPPReadLauncherConfig(DIR_CONTEXT, LPCSTR, BYTE* record) {
    // No timed refresh: the worker rebuilds only when asked.
    std::memset(record, 0, KMAPP_CONFIG_SIZE);
    KmappConfigSet(record, KMAPP_CONFIG_OFFSET_MAGIC, KMAPP_CONFIG_MAGIC);
    KmappConfigSet(record, KMAPP_CONFIG_OFFSET_FLAGS, 0x4);
    KmappConfigSet(record, KMAPP_CONFIG_OFFSET_LEVELS, 1);
    return 0;
}

DWORD KMAPPCheckSchedule(KmappApplication* record) {
    Script& s = TheScript();
    std::lock_guard<std::mutex> lock(s.mutex);
    DWORD previous = record->state;
    for (const App& app : s.apps)
        if (app.name == record->name) record->state = app.state;
    return previous;
}

LONG KMAPPRecordLaunch(KmappApplication* record, DWORD starting) {
    Note("record " + std::string(record->name) + " " + std::to_string(starting));
    return 0;
}

DWORD KMAPPProcessApplication(DIR_CONTEXT, LPCSTR application, DWORD* detail, LPSTR parameters, DWORD size,
                              KmappStatusCallback callback) {
    Note("launch " + std::string(application) + " " + std::string(parameters ? parameters : ""));
    Script& s = TheScript();
    int questions;
    void (*during)(void*);
    void* duringData;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        questions = s.replaceQuestions;
        during = s.during;
        duringData = s.duringData;
    }
    if (during) during(duringData);
    for (int i = 0; i < questions && callback; ++i) {
        std::string path = "C:\\APPS\\FILE" + std::to_string(i + 1) + ".DLL";
        KmappReplaceStatus replace{};
        replace.path = path.data();
        replace.sourceYear = 2001, replace.sourceMonth = 2, replace.sourceDay = 3;
        replace.sourceHour = 4, replace.sourceMinute = 5, replace.sourceSecond = 6;
        replace.targetYear = 1999, replace.targetMonth = 12, replace.targetDay = 31;
        replace.targetHour = 23, replace.targetMinute = 59, replace.targetSecond = 58;
        replace.sourceSize = 2048;
        replace.targetSize = 1024;
        Note("answer " + std::to_string(callback(KMAPP_STATUS_REPLACE_FILE, &replace)));
        std::string copied = "C:\\APPS\\FILE" + std::to_string(i + 1) + ".DLL";
        KmappItemStatus item{0, copied.data(), static_cast<DWORD>(i + 1), static_cast<DWORD>(questions)};
        callback(KMAPP_STATUS_FILE_COPIED, &item);
    }
    std::lock_guard<std::mutex> lock(s.mutex);
    if (detail) *detail = s.detail;
    if (s.setBuffer && parameters) {
        // The library writes its whole buffer, as much as fits.
        size_t n = std::min<size_t>(s.buffer.size(), size + 1);
        std::memcpy(parameters, s.buffer.data(), n);
        if (n <= size) parameters[n] = '\0';
    }
    return s.result;
}

void KMAPPLogString(DIR_CONTEXT, LPCSTR application, DWORD, LPCSTR text) {
    Note("log " + std::string(application) + ": " + text);
}

void KMAPPMonitorApplications(void) {}
void KMAPPGetPersonalFolders(DIR_CONTEXT, LPCSTR, DWORD, KmappFolder**) {}
BYTE KMAPPReadNRDFolders(DIR_CONTEXT, LPCSTR) { return 0; }
BYTE KMAPPWriteNRDFolders(DIR_CONTEXT, LPCSTR) { return 0; }

}  // extern "C"
