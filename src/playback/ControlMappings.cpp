#include "playback/ControlMappings.h"

#include <algorithm>
#include <cmath>

namespace cx {

int NearestEven(double x) {
    return static_cast<int>(std::nearbyint(x));
}

int ClampThumb(int p) {
    return std::clamp(p, kThumbMin, kThumbMax);
}

int TempoLabel(int p) {
    return ClampThumb(p) - kThumbRest;
}

int TempoFromThumb(int p) {
    p = ClampThumb(p);
    if (p > kThumbRest) return NearestEven((p - kThumbRest) / 32.0 * 30.0);
    if (p < kThumbRest) return -NearestEven((kThumbRest - p) / 32.0 * 30.0);
    return 0;
}

int PitchFromThumb(int p) {
    p = ClampThumb(p);
    if (p > kThumbRest) return static_cast<int>(std::floor((p - kThumbRest) * 6.0 / 32.0));
    if (p < kThumbRest) return -NearestEven((kThumbRest - p) * 6.0 / 32.0);
    return 0;
}

int EqSettingFromThumb(int y) {
    y = std::clamp(y, 30, 88);
    return static_cast<int>((88 - y) / 58.0 * 100.0);
}

int BassTrebleGain(int v) {
    if (v > 50) return static_cast<int>(std::floor((v - 50) / 50.0 * 15.0));
    if (v < 50) return static_cast<int>(std::floor(-((50 - v) / 50.0 * 15.0)));
    return 0;
}

double BalanceFromThumb(int x) {
    x = std::clamp(x, 235, 299);
    return (x - 235) / 64.0 * 20000.0;
}

int PanFromBalance(double b) {
    if (b < 10000.0) return -NearestEven((10000.0 - b) / 100.0);
    if (b > 10000.0) return NearestEven((b - 10000.0) / 100.0);
    return 0;
}

int EffectAmountFromThumb(int position) {
    return std::clamp(position, 83, 183) - 83;
}

int EffectValue(int index, int amount) {
    amount = std::clamp(amount, 0, 100);
    switch (index) {
        case 1:
            return NearestEven(20.0 - amount / 5.0);
        case 2:
            return amount / 2;
        case 3:
            return amount;
        case 4:
            return amount / 10;
        default:
            return 0;
    }
}

float ReverbMixDb(int value) {
    return static_cast<float>(-0.012 * value * value * value);
}

}  // namespace cx
