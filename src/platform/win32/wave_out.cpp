#include "platform/win32/wave_out.h"

#include <array>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/win32/windows_api.h"

#include <mmsystem.h>

namespace ptpdiag {
namespace {

// Four buffers of 40 ms: at most 160 ms queued, so a new pitch is heard
// within a tick, with room for a busy machine to refill them in time.
constexpr std::size_t kBuffers = 4;
constexpr std::size_t kBufferSamples = kSoundSampleRate / 1000 * 40;

std::string WaveOutWords(MMRESULT result) {
  std::array<char, MAXERRORLENGTH> text{};
  if (waveOutGetErrorTextA(result, text.data(), static_cast<UINT>(text.size())) != MMSYSERR_NOERROR) {
    return "waveOut failed with error " + std::to_string(result);
  }
  return "waveOut: " + std::string(text.data());
}

class WaveOut final : public SoundOut {
 public:
  ~WaveOut() override { Stop(); }

  bool Start(SampleSource& source, std::string& error) override {
    Stop();
    if (waveOutGetNumDevs() == 0) {
      error = "there is no sound device";
      return false;
    }
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = kSoundSampleRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 2;
    format.nAvgBytesPerSec = kSoundSampleRate * 2;
    done_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    const MMRESULT opened = waveOutOpen(&device_, WAVE_MAPPER, &format,
                                        reinterpret_cast<DWORD_PTR>(done_), 0, CALLBACK_EVENT);
    if (opened != MMSYSERR_NOERROR) {
      error = WaveOutWords(opened);
      CloseHandle(done_);
      done_ = nullptr;
      device_ = nullptr;
      return false;
    }
    source_ = &source;
    for (std::size_t i = 0; i < kBuffers; ++i) {
      samples_[i].resize(kBufferSamples);
      headers_[i] = WAVEHDR{};
      headers_[i].lpData = reinterpret_cast<LPSTR>(samples_[i].data());
      headers_[i].dwBufferLength = static_cast<DWORD>(kBufferSamples * 2);
      waveOutPrepareHeader(device_, &headers_[i], sizeof(WAVEHDR));
      Queue(headers_[i], samples_[i]);
    }
    stopping_ = false;
    refiller_ = std::thread([this] { Refill(); });
    return true;
  }

  void Beep() override { MessageBeep(MB_OK); }

  void Stop() override {
    if (!device_) return;
    stopping_ = true;
    SetEvent(done_);
    refiller_.join();
    waveOutReset(device_);
    for (WAVEHDR& header : headers_) waveOutUnprepareHeader(device_, &header, sizeof(WAVEHDR));
    waveOutClose(device_);
    CloseHandle(done_);
    device_ = nullptr;
    done_ = nullptr;
    source_ = nullptr;
  }

 private:
  void Queue(WAVEHDR& header, std::vector<std::int16_t>& samples) {
    source_->FillSamples(samples.data(), samples.size());
    header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
    waveOutWrite(device_, &header, sizeof(WAVEHDR));
  }

  // Each buffer the device has played is filled again and queued behind
  // the others.
  void Refill() {
    // Sound that stops for a busy moment is worse than a late repaint.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    while (!stopping_) {
      WaitForSingleObject(done_, INFINITE);
      for (std::size_t i = 0; i < kBuffers && !stopping_; ++i) {
        if (headers_[i].dwFlags & WHDR_DONE) Queue(headers_[i], samples_[i]);
      }
    }
  }

  HWAVEOUT device_ = nullptr;
  HANDLE done_ = nullptr;
  SampleSource* source_ = nullptr;
  std::array<WAVEHDR, kBuffers> headers_{};
  std::array<std::vector<std::int16_t>, kBuffers> samples_;
  std::atomic<bool> stopping_ = false;
  std::thread refiller_;
};

}  // namespace

std::unique_ptr<SoundOut> MakeWaveOut() {
  return std::make_unique<WaveOut>();
}

}  // namespace ptpdiag
