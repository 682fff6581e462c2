// What the simulated machine's sampling produces, so that tests and demos
// can tell the exact samples they should receive.
#pragma once
#include <cstdint>

namespace oz::sim::events {

// Sample blocks the servo sampling produces per second of running time; one
// block carries `rate` samples of each channel.
constexpr uint32_t kBlocksPerSecond = 1000;

// Sample `index` (0-based, counted per channel from the start) of servo
// channel `channel` (0..7) sampled `rate` times per block: a sine of
// channel + 1 hertz, amplitude 1000.
int16_t servo_sample(int channel, uint16_t rate, uint32_t index);

// Samples a waveform recording holds per channel, and sample `index` of
// channel `channel`: a sine whose period is 100 × (channel + 1) samples,
// amplitude 2000.
constexpr int32_t kWaveSamples = 4000;
int16_t wave_sample(int channel, int32_t index);

}  // namespace oz::sim::events
