// Engine harness and fake launcher for the List builder tests.
#include "BuilderHarness.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace tarnwick::testing {

std::string MemorySettings::Read(const std::string& key, const std::string& fallback) {
    const auto found = values.find(key);
    return found == values.end() ? fallback : found->second;
}

struct FakeLauncher::Session {
    FakeBrowser browser;
    std::unique_ptr<ListBuilder> builder;
};

FakeLauncher::FakeLauncher(HarvestEngine& engine)
    : engine_(engine) {}

FakeLauncher::~FakeLauncher() {
    if (current_) {
        navigations.insert(navigations.end(), current_->browser.navigations.begin(),
                           current_->browser.navigations.end());
    }
}

void FakeLauncher::LoadListBuilder() {
    UnloadListBuilder();
    loadedPhrases.push_back(engine_.txtSearch());
    current_ = std::make_unique<Session>();
    current_->browser.pages = pages;
    current_->browser.completesPerPage = completesPerPage;
    current_->browser.site = site;
    current_->builder = std::make_unique<ListBuilder>(engine_, current_->browser);
    ListBuilder* builder = current_->builder.get();
    if (prepare) {
        prepare(*builder);
    }
    QObject::connect(builder, &ListBuilder::hideRequested, &context_, [this] { ++hides; });
    QObject::connect(builder, &ListBuilder::unloadRequested, &context_, [this, builder] {
        ++unloadRequests;
        if (current_ && current_->builder.get() == builder) {
            UnloadListBuilder();
        }
    });
    builder->Form_Load();
}

void FakeLauncher::UnloadListBuilder() {
    if (current_) {
        Retire(std::move(current_));
    }
}

void FakeLauncher::Retire(std::unique_ptr<Session> session) {
    navigations.insert(navigations.end(), session->browser.navigations.begin(),
                       session->browser.navigations.end());
    // The builder may be the caller: destroy it only once control is back in the event loop.
    QTimer::singleShot(0, &context_, [retired = std::shared_ptr<Session>(std::move(session))] {});
}

ListBuilder* FakeLauncher::Builder() const {
    return current_ ? current_->builder.get() : nullptr;
}

FakeBrowser* FakeLauncher::CurrentBrowser() const {
    return current_ ? &current_->browser : nullptr;
}

BuilderHarness::BuilderHarness(QList<QSslCertificate> trustedAuthorities) {
    const std::string appFolder = folder.path().toStdString();
    database = std::make_unique<Database>(appFolder + "/spider.mdb");
    database->EnsureExists();
    // Nothing listens on the discard port of loopback: every download fails at once.
    resolve = [](const std::string&) { return Endpoint{QStringLiteral("127.0.0.1"), 9}; };
    resolveSecure = resolve;
    engine = std::make_unique<HarvestEngine>(EngineServices{
        *database, appFolder, sounds, prompts, settings,
        [this](const std::string& host) { return resolve(host); },
        [this](const std::string& host) { return resolveSecure(host); }, std::move(trustedAuthorities)});
    launcher = std::make_unique<FakeLauncher>(*engine);
    engine->SetListBuilder(launcher.get());
    engine->LoadRunState();
    engine->options().allowPrivateAddresses = true; // the fixture web is on loopback
    // Ticks of 10 ms, and time-outs long enough that a loopback download on a busy machine never
    // times out: a timed-out host would be skipped for the rest of the test. Set after the load,
    // which puts the window's own 10 and 30 ticks in place.
    engine->SetTickInterval(10);
    engine->SetTimeouts(500, 1500);
}

BuilderHarness::~BuilderHarness() {
    engine->Shutdown();
    engine->SetListBuilder(nullptr);
    launcher.reset();
    engine.reset();
}

void BuilderHarness::Start(const std::vector<std::string>& phrases, int engineIndex, int resultsIndex) {
    for (const std::string& phrase : phrases) {
        engine->cmdAdd_Click(phrase);
    }
    engine->options().Combo1 = engineIndex;
    engine->options().Combo2 = resultsIndex;
    engine->Command1_Click();
}

bool BuilderHarness::RunUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    }
    return done();
}

std::vector<std::string> BuilderHarness::QueuedWebsites() {
    std::vector<std::string> queued;
    for (std::string website = database->FirstQueuedWebsite(); !website.empty();
         website = database->FirstQueuedWebsite()) {
        queued.push_back(website);
        database->DeleteWebsite(website);
    }
    return queued;
}

std::string ResultPage(const std::vector<std::string>& domains) {
    std::string page = "<div id=\"res\"><script src=\"http://www.google.com/js/r.js\"></script>\n";
    for (const std::string& domain : domains) {
        page += "<div class=\"g\"><a href=\"http://www." + domain + "/index.html\">" + domain +
                "</a><br><cite>www." + domain +
                "/</cite> - <a href=\"http://www.google.com/search?q=cache:" + domain +
                "\">Cached</a> <img src=\"http://us.i1.yimg.com/dot.gif\"></div>\n";
    }
    return page + "</div>";
}

std::vector<std::string> Domains(const std::string& stem, int first, int n) {
    std::vector<std::string> domains;
    for (int i = first; i < first + n; ++i) {
        domains.push_back(stem + std::to_string(i) + ".com");
    }
    return domains;
}

} // namespace tarnwick::testing
