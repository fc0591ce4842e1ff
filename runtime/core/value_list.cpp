// StoreItem: the one rule by which both input statements store an item into
// the variable an entry of the value list names.
#include <cfloat>
#include <cmath>
#include <cstring>

#include "rt_core.h"

ValueListState ValueList;

int32_t RoundToInt32(double value) {
    // Half to even is the default rounding mode's rule; nearbyint keeps it.
    double r = std::nearbyint(value);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) return INT32_MIN;  // NaN lands here too
    return (int32_t)r;
}

float RoundToSingle(double value) {
    // Converting a double beyond the float range is undefined in C++, so the
    // overflow is decided here as IEEE rounding to nearest decides it: values
    // below FLT_MAX + half an ulp round to FLT_MAX, the rest to infinity.
    if (std::isnan(value)) return NAN;
    double magnitude = std::fabs(value);
    if (magnitude > (double)FLT_MAX) {
        float f = magnitude < (double)FLT_MAX + std::ldexp(1.0, 103) ? FLT_MAX : INFINITY;
        return value < 0 ? -f : f;
    }
    return (float)value;
}

void StoreItem(int32_t k, const char* text) { StoreItemBytes(k, text, lstrlenA(text)); }

void StoreItemBytes(int32_t k, const char* text, int32_t length) {
    if (k < 0 || k > 31) return;
    void* address = ValueList.ValueAddress[k];
    if (!address) return;
    ValueList.StoreCount++;
    switch (ValueList.ValueType[k]) {
    case TypeInt8: {
        uint8_t v = (uint8_t)(uint32_t)RoundToInt32(ValParse(text));
        memcpy(address, &v, 1);
        break;
    }
    case TypeInt16: {
        uint16_t v = (uint16_t)(uint32_t)RoundToInt32(ValParse(text));
        memcpy(address, &v, 2);
        break;
    }
    case TypeInt32: {
        int32_t v = RoundToInt32(ValParse(text));
        memcpy(address, &v, 4);
        break;
    }
    case TypeSingle: {
        float v = RoundToSingle(ValParse(text));
        memcpy(address, &v, 4);
        break;
    }
    case TypeDouble: {
        double v = ValParse(text);
        memcpy(address, &v, 8);
        break;
    }
    case TypeString: {
        RtString* variable = (RtString*)address;
        StrFree(*variable);
        *variable = StrAlloc(length);
        RtlMoveMemory(*variable, text, (size_t)length);
        break;
    }
    default:
        break;  // unknown codes: the item is counted by the caller and dropped
    }
}
