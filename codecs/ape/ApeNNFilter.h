// One adaptive "neural net" filter of an APE channel: a sign-LMS FIR of order 16 to 1280 over
// the channel's own past, with 16-bit coefficients, run on the stage-2 residual at levels 2000
// and up. One filter belongs to one channel of one frame encoder (one thread).
#pragma once

#include <cstdint>
#include <memory>

class TApeNNFilter {
public:
    TApeNNFilter(int order, int shift);
    TApeNNFilter(const TApeNNFilter&) = delete;
    TApeNNFilter& operator=(const TApeNNFilter&) = delete;

    // Whether filters constructed from now on may use AVX2 where the processor has it (they do
    // by default). The output is the same either way; tests compare the two paths. Any thread.
    static void AllowAvx2(bool allow);

    // Back to the state at the start of a frame (all zero).
    void reset();

    // Filters input `x` and returns the residual that goes on to the next stage.
    int32_t compress(int32_t x);

private:
    // Adapts the coefficients by the window of adapt values (added for a negative residual,
    // subtracted for a positive one, none for zero) and returns the dot product of the new
    // coefficients with the input window that ends at the newest input.
    int32_t adaptAndDot(const int16_t* inputs, const int16_t* adapts, int sign);

    static constexpr int kWindow = 4096; // samples between two moves of the history windows

    const int m_order;
    const int m_shift;
    const int32_t m_round;
    int32_t m_dot = 0; // dot product for the next input
    int32_t m_average = 0;
    int m_pos = 0;       // index of the next input in the history buffers
    bool m_avx2 = false; // the processor has AVX2
    std::unique_ptr<int16_t[]> m_storage;
    int16_t* m_coef = nullptr;   // m_order coefficients, 32-byte aligned
    int16_t* m_inputs = nullptr; // m_order + kWindow saturated inputs
    int16_t* m_adapts = nullptr; // m_order + kWindow adapt values
};
