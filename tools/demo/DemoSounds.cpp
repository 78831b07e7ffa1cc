// Synthesised demo sounds. Everything is mono 22050 Hz; noise comes from a
// fixed linear congruential generator so the files never change.
#include "tools/demo/DemoSounds.h"

#include "tools/writers/SoundPackWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace
{
constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

// Sound file numbers.
constexpr int kFrontEndMusicA = 0;
constexpr int kFrontEndMusicB = 1;
constexpr int kRaceMusicA = 2;
constexpr int kRaceMusicB = 3;
constexpr int kFirstEffect = 10;
// Islands given the race music pair.
constexpr int kLastMapNumber = 31;

class Noise
{
  public:
    explicit Noise(uint32_t seed) : m_State(seed) {}
    double Next() // -1 .. 1
    {
        m_State = m_State * 1664525u + 1013904223u;
        return double(m_State >> 8) / double(1 << 23) - 1.0;
    }

  private:
    uint32_t m_State;
};

using Signal = std::vector<double>;

Signal Silence(double seconds) { return Signal(size_t(seconds * kRate), 0.0); }

std::vector<int16_t> ToPcm(const Signal& signal, double peak = 0.8)
{
    double maximum = 1e-9;
    for (double s : signal)
        maximum = std::max(maximum, std::fabs(s));
    std::vector<int16_t> pcm(signal.size());
    for (size_t i = 0; i < signal.size(); ++i)
        pcm[i] = int16_t(std::lround(signal[i] / maximum * peak * 32767.0));
    return pcm;
}

// A tone sweeping from f0 to f1 Hz, shaped by an exponential decay.
Signal Sweep(double seconds, double f0, double f1, double decay, double harmonics)
{
    Signal s = Silence(seconds);
    double phase = 0.0;
    for (size_t i = 0; i < s.size(); ++i)
    {
        const double t = double(i) / kRate;
        const double f = f0 + (f1 - f0) * t / seconds;
        phase += 2.0 * kPi * f / kRate;
        const double tone = std::sin(phase) + harmonics * std::sin(2.0 * phase) + harmonics * 0.5 * std::sin(3.0 * phase);
        s[i] = tone * std::exp(-decay * t);
    }
    return s;
}

// Noise through a one-pole low-pass, with an attack and a decay.
Signal NoiseBurst(double seconds, double smoothing, double attack, double decay, uint32_t seed)
{
    Signal s = Silence(seconds);
    Noise noise(seed);
    double low = 0.0;
    for (size_t i = 0; i < s.size(); ++i)
    {
        const double t = double(i) / kRate;
        low += (noise.Next() - low) * smoothing;
        const double envelope = std::min(1.0, t / attack) * std::exp(-decay * t);
        s[i] = low * envelope;
    }
    return s;
}

Signal Mix(const Signal& a, const Signal& b, double gainB)
{
    Signal s(std::max(a.size(), b.size()), 0.0);
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = (i < a.size() ? a[i] : 0.0) + (i < b.size() ? b[i] * gainB : 0.0);
    return s;
}

// A loop-friendly engine hum: whole cycles of a buzzy 90 Hz wave.
Signal EngineLoop()
{
    const int cycles = 90; // one second
    Signal s(size_t(kRate), 0.0);
    for (size_t i = 0; i < s.size(); ++i)
    {
        const double phase = 2.0 * kPi * cycles * double(i) / double(s.size());
        s[i] = std::sin(phase) + 0.5 * std::sin(2 * phase) + 0.3 * std::sin(3 * phase) + 0.2 * std::sin(5 * phase);
    }
    return s;
}

Signal Horn(double seconds, double f)
{
    Signal s = Silence(seconds);
    for (size_t i = 0; i < s.size(); ++i)
    {
        const double t = double(i) / kRate;
        const double envelope = std::min(1.0, t / 0.01) * std::min(1.0, (seconds - t) / 0.05);
        double square = 0.0;
        for (int k = 1; k <= 7; k += 2)
            square += std::sin(2.0 * kPi * f * k * t) / k;
        s[i] = square * envelope;
    }
    return s;
}

Signal Effect(int slot)
{
    switch (slot)
    {
    case 0: return Mix(NoiseBurst(0.6, 0.2, 0.002, 8, 11), Sweep(0.6, 120, 40, 9, 0.3), 0.8);   // cannon
    case 1: return NoiseBurst(0.08, 0.6, 0.001, 60, 12);                                        // chain gun
    case 2: return NoiseBurst(0.5, 0.3, 0.001, 10, 13);                                         // crash
    case 3: return EngineLoop();                                                                // engine
    case 4: return Mix(NoiseBurst(1.2, 0.1, 0.003, 4, 14), Sweep(1.2, 80, 30, 4, 0.5), 0.6);    // explosion
    case 5: return NoiseBurst(0.5, 0.5, 0.05, 5, 15);                                           // flame fire
    case 6: return NoiseBurst(0.3, 0.4, 0.01, 12, 16);                                          // flame hit
    case 7: return Sweep(0.4, 1800, 600, 7, 0.2);                                               // ice fire
    case 8: return Mix(Sweep(0.3, 2500, 2000, 12, 0.1), NoiseBurst(0.3, 0.8, 0.001, 20, 17), 0.5); // ice hit
    case 9: return Sweep(0.5, 300, 900, 3, 0.6);                                                // jammer
    case 10: return Sweep(0.3, 700, 250, 6, 0.3);                                               // shield close
    case 11: return Sweep(0.3, 250, 700, 6, 0.3);                                               // shield open
    case 12: return Sweep(0.2, 900, 850, 15, 0.4);                                              // shield hit
    case 13: return Horn(0.35, 440);                                                            // start horn
    case 14: return Horn(0.9, 880);                                                             // start horn long
    case 15: return Mix(Sweep(0.4, 3000, 200, 6, 0.7), NoiseBurst(0.4, 0.9, 0.001, 8, 18), 0.3); // tesla fire
    case 16: return Mix(Sweep(0.25, 1500, 300, 12, 0.7), NoiseBurst(0.25, 0.9, 0.001, 15, 19), 0.4); // tesla hit
    case 17: return NoiseBurst(1.0, 0.15, 0.2, 0.5, 20);                                        // water drive
    case 18: return NoiseBurst(0.7, 0.35, 0.01, 5, 21);                                         // water splash
    case 19: return Mix(NoiseBurst(0.4, 0.25, 0.001, 10, 22), Sweep(0.4, 90, 40, 10, 0.2), 0.7); // cannon hit
    case 20: return Sweep(0.05, 2200, 1800, 60, 0.5);                                           // chain hit (click)
    case 21: return Horn(0.6, 330);                                                             // horn
    case 22: return Sweep(0.05, 1700, 1400, 60, 0.5);                                           // chain hit b
    case 23: return NoiseBurst(0.35, 0.45, 0.001, 14, 23);                                      // crash b
    default: return NoiseBurst(0.8, 0.3, 0.15, 3, 24);                                          // turbo whoosh
    }
}

// A melody of (MIDI note, beats) over a bass note per bar, at the tempo.
Signal Melody(const std::vector<std::pair<int, double>>& notes, const std::vector<int>& bass, double bpm)
{
    const double beat = 60.0 / bpm;
    double beats = 0.0;
    for (const auto& note : notes)
        beats += note.second;
    Signal s = Silence(beats * beat);
    auto hz = [](int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); };
    double start = 0.0;
    for (const auto& [midi, length] : notes)
    {
        const size_t first = size_t(start * beat * kRate);
        const size_t count = std::min(s.size() - first, size_t(length * beat * kRate));
        for (size_t i = 0; i < count; ++i)
        {
            const double t = double(i) / kRate;
            const double envelope = std::min(1.0, t / 0.01) * std::exp(-2.5 * t);
            const double f = hz(midi);
            s[first + i] += envelope * (std::sin(2 * kPi * f * t) + 0.3 * std::sin(4 * kPi * f * t));
        }
        start += length;
    }
    const size_t bar = size_t(4 * beat * kRate);
    for (size_t i = 0; i < s.size(); ++i)
    {
        const double f = hz(bass[(i / bar) % bass.size()]);
        const double t = double(i % bar) / kRate;
        s[i] += 0.4 * std::sin(2 * kPi * f * t) * std::exp(-0.8 * t);
    }
    return s;
}

void SaveSound(const std::string& dataDir, int number, const Signal& signal)
{
    SaveSfxFile(dataDir, number, ToPcm(signal), 1, kRate);
}
} // namespace

void WriteDemoSounds(const std::string& dataDir)
{
    // Front end: an opening phrase played once, then a phrase that loops.
    SaveSound(dataDir, kFrontEndMusicA,
              Melody({{60, 1}, {64, 1}, {67, 1}, {72, 1}, {71, 1}, {67, 1}, {64, 2}, {65, 1}, {69, 1}, {72, 2}, {67, 4}},
                     {48, 53, 43, 48}, 120));
    SaveSound(dataDir, kFrontEndMusicB,
              Melody({{67, 1}, {69, 1}, {71, 2}, {72, 1}, {71, 1}, {69, 2}, {67, 1}, {64, 1}, {62, 2}, {60, 4}},
                     {48, 45, 41, 43}, 120));
    // Races: a faster pair, alternated for the whole race.
    SaveSound(dataDir, kRaceMusicA,
              Melody({{57, 0.5}, {60, 0.5}, {64, 0.5}, {60, 0.5}, {57, 0.5}, {60, 0.5}, {64, 1}, {62, 0.5}, {65, 0.5},
                      {69, 0.5}, {65, 0.5}, {62, 2}, {64, 4}},
                     {45, 50, 52}, 150));
    SaveSound(dataDir, kRaceMusicB,
              Melody({{64, 0.5}, {67, 0.5}, {71, 1}, {69, 0.5}, {67, 0.5}, {64, 1}, {62, 0.5}, {64, 0.5}, {67, 1},
                      {64, 4}},
                     {52, 48, 50}, 150));

    std::vector<MusicTableRow> rows;
    rows.push_back({kFrontEndMusicKey, kFrontEndMusicA, kFrontEndMusicB});
    for (int map = 0; map <= kLastMapNumber; ++map)
        rows.push_back({map, kRaceMusicA, kRaceMusicB});
    SaveMusicTable(dataDir + "GraphicsSfx.dat", rows);

    std::vector<SoundEffectRecord> records;
    static const char* const kNames[] = {
        "SOUND_CANNON",    "SOUND_CHAINGUN",   "SOUND_CRASH",       "SOUND_ENGINE",      "SOUND_EXPLOSION",
        "SOUND_FLAMEFIRE", "SOUND_FLAMEHIT",   "SOUND_ICEFIRE",     "SOUND_ICEHIT",      "SOUND_JAMMER",
        "SOUND_SHIELDCLOSE", "SOUND_SHIELDOPEN", "SOUND_SHIELDHIT", "SOUND_STARTHORN",   "SOUND_STARTHORNLONG",
        "SOUND_TESLAFIRE", "SOUND_TESLAHIT",   "SOUND_WATERDRIVE",  "SOUND_WATERSPLASH", "SOUND_CANNONHIT",
        "SOUND_CHAINHIT",  "SOUND_HORN",       "SOUND_CHAINHITB",   "SOUND_CRASHB",      "SOUND_TURBO",
    };
    for (int slot = 0; slot < 25; ++slot)
    {
        SaveSound(dataDir, kFirstEffect + slot, Effect(slot));
        records.push_back({kNames[slot], kFirstEffect + slot});
    }
    SaveSoundEffectTable(dataDir + "SndSfx.dat", records);
}
