// Build-time generator of the runtime tree's binary files:
//   wendar_resgen database OUT.dat PRESETS.sql   the preset database: the local schema plus the presets
//   wendar_resgen sounds DIR                     DIR/ring01.wav and DIR/Cuckoo01.wav, synthesised
// Every output is written beside its final name and renamed over it, so a failed or interrupted
// run never leaves half a file (or a file appended to an older one) for the build to pick up.
#include "store/LocalDatabase.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iostream>
#include <iterator>
#include <memory>
#include <numbers>
#include <sndfile.h>
#include <sqlite3.h>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace {

constexpr int kSampleRate = 22050;
// The program offers a preset of every kind it can check.
constexpr int kCategories[] = {1, 2, 3, 4};

struct SqliteClose
{
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Database = std::unique_ptr<sqlite3, SqliteClose>;

bool Exec(sqlite3* db, const std::string& sql, const char* what)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::cerr << "wendar_resgen: " << what << ": " << (message != nullptr ? message : sqlite3_errmsg(db)) << '\n';
        sqlite3_free(message);
        return false;
    }
    return true;
}

long long QueryNumber(sqlite3* db, const std::string& sql)
{
    sqlite3_stmt* statement = nullptr;
    long long value = -1;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        value = sqlite3_column_int64(statement, 0);
    }
    sqlite3_finalize(statement);
    return value;
}

bool ReadText(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "wendar_resgen: cannot read " << path << '\n';
        return false;
    }
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// Moves the finished file over its final name.
bool Publish(const std::string& temporary, const std::string& out)
{
    std::error_code ec;
    std::filesystem::rename(temporary, out, ec);
    if (ec) {
        std::cerr << "wendar_resgen: cannot write " << out << ": " << ec.message() << '\n';
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

bool WriteDatabase(const std::string& out, const std::string& presetsPath)
{
    std::string presets;
    if (!ReadText(presetsPath, presets)) {
        return false;
    }
    // Always a new file: the presets are inserted once, never added to an older copy.
    const std::string temporary = out + ".part";
    std::error_code ec;
    // A log left by a reader of the old file must not be replayed into the new one.
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        std::filesystem::remove(out + suffix, ec);
        std::filesystem::remove(temporary + suffix, ec);
    }
    {
        sqlite3* raw = nullptr;
        const int rc = sqlite3_open_v2(temporary.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        Database db(raw);
        if (rc != SQLITE_OK) {
            std::cerr << "wendar_resgen: cannot create " << temporary << ": " << sqlite3_errstr(rc) << '\n';
            return false;
        }
        if (!Exec(db.get(), LocalSchemaSql(), "schema") || !Exec(db.get(), "BEGIN", "begin") ||
            !Exec(db.get(), presets, presetsPath.c_str()) || !Exec(db.get(), "COMMIT", "commit")) {
            db.reset();
            std::filesystem::remove(temporary, ec);
            return false;
        }
        for (const int category : kCategories) {
            if (QueryNumber(db.get(), "select count(*) from usermessagetype where MessageCategory=" +
                                          std::to_string(category)) < 1) {
                std::cerr << "wendar_resgen: " << presetsPath << " has no preset of category " << category << '\n';
                db.reset();
                std::filesystem::remove(temporary, ec);
                return false;
            }
        }
        // The program opens this file read-only, possibly from a read-only folder: no WAL.
        if (!Exec(db.get(), "PRAGMA journal_mode=DELETE", "journal mode") || !Exec(db.get(), "VACUUM", "vacuum")) {
            db.reset();
            std::filesystem::remove(temporary, ec);
            return false;
        }
    }
    return Publish(temporary, out);
}

struct Envelope
{
    double attack = 0.012; // seconds of fade-in
    double release = 0.02; // seconds of fade-out
    double decay = 0.0;    // exponential decay rate per second
};

// A tone burst: the sum of the partials (frequency, amplitude) under the envelope, added onto what
// samples already holds from start on. The fades keep the joins free of clicks.
void AddNote(std::vector<double>& samples, double start, double length,
             std::initializer_list<std::pair<double, double>> partials, Envelope envelopeShape)
{
    const auto first = static_cast<std::size_t>(start * kSampleRate);
    const auto count = static_cast<std::size_t>(length * kSampleRate);
    if (samples.size() < first + count) {
        samples.resize(first + count, 0.0);
    }
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        double envelope = std::exp(-envelopeShape.decay * t);
        envelope *= std::min(1.0, t / envelopeShape.attack);
        envelope *= std::min(1.0, (length - t) / envelopeShape.release);
        double value = 0.0;
        for (const auto& [frequency, amplitude] : partials) {
            value += amplitude * std::sin(2.0 * std::numbers::pi * frequency * t);
        }
        samples[first + i] += envelope * value;
    }
}

// Two bursts of a fast two-tone trill, like a desk telephone's bell.
std::vector<double> RingSound()
{
    std::vector<double> samples;
    constexpr double kTrill = 1.0 / 32.0;
    for (const double burst : {0.0, 0.55}) {
        for (int step = 0; step < 13; ++step) {
            const double frequency = step % 2 == 0 ? 1320.0 : 1650.0;
            AddNote(samples, burst + step * kTrill, kTrill, {{frequency, 0.30}, {frequency * 2, 0.05}},
                    {0.003, 0.003, 0.0});
        }
    }
    samples.resize(samples.size() + kSampleRate / 10, 0.0);
    return samples;
}

// The cuckoo's call twice: a note and one a major third below, soft and slightly decaying.
std::vector<double> CuckooSound()
{
    std::vector<double> samples;
    for (const double call : {0.0, 0.75}) {
        AddNote(samples, call, 0.20, {{784.0, 0.42}, {1568.0, 0.08}, {2352.0, 0.03}}, {0.012, 0.03, 2.0});
        AddNote(samples, call + 0.26, 0.36, {{622.3, 0.42}, {1244.6, 0.08}, {1866.9, 0.03}}, {0.012, 0.06, 3.0});
    }
    samples.resize(samples.size() + kSampleRate / 20, 0.0);
    return samples;
}

// 16-bit PCM mono WAV, the format every player takes.
bool WriteWav(const std::string& out, const std::vector<double>& samples)
{
    std::vector<std::int16_t> pcm;
    pcm.reserve(samples.size());
    for (const double value : samples) {
        pcm.push_back(static_cast<std::int16_t>(std::lround(std::clamp(value, -1.0, 1.0) * 32767.0)));
    }
    const std::string temporary = out + ".part";
    SF_INFO info{};
    info.samplerate = kSampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(temporary.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        std::cerr << "wendar_resgen: cannot create " << temporary << ": " << sf_strerror(nullptr) << '\n';
        return false;
    }
    const auto written = sf_write_short(file, pcm.data(), static_cast<sf_count_t>(pcm.size()));
    const int closed = sf_close(file);
    if (written != static_cast<sf_count_t>(pcm.size()) || closed != 0) {
        std::cerr << "wendar_resgen: cannot write " << temporary << '\n';
        std::error_code ec;
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return Publish(temporary, out);
}

bool WriteSounds(const std::string& directory)
{
    std::error_code ec;
    std::filesystem::create_directories(directory, ec);
    if (ec) {
        std::cerr << "wendar_resgen: cannot create " << directory << ": " << ec.message() << '\n';
        return false;
    }
    return WriteWav(directory + "/ring01.wav", RingSound()) && WriteWav(directory + "/Cuckoo01.wav", CuckooSound());
}

int Usage()
{
    std::cerr << "usage: wendar_resgen database OUT.dat PRESETS.sql\n"
                 "       wendar_resgen sounds DIR\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "database") {
        return WriteDatabase(args[1], args[2]) ? 0 : 1;
    }
    if (args.size() == 2 && args[0] == "sounds") {
        return WriteSounds(args[1]) ? 0 : 1;
    }
    return Usage();
}
