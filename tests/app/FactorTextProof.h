// Proves a row's factor and divisor texts right by means that share nothing with the text
// procedures: the texts are read back as numbers; every factor is shown prime by a sieve of
// its own below 2^16 and by Miller-Rabin above, and the factors must multiply to the
// magnitude of n, -1 leading exactly when n is negative; the divisors must ascend, each
// divide the magnitude, and be as many as the divisor function of those factors gives, so
// that they are all of its divisors. Also names the numbers where the texts are hardest.
#pragma once

#include <stdint.h>

#include <algorithm>
#include <vector>

namespace factor_text_proof {

// More than any magnitude up to 2^31 has divisors (1,600 at the most).
constexpr int32_t MAX_LISTED_NUMBERS = 2048;

// The result of reading a text of numbers joined by ", ".
enum class Reading { Numbers, Malformed, TooMany };

// Reads a text of decimal numbers joined by ", ", each written as "%ld" writes it: an
// optional "-", then digits without a leading zero. The empty text holds no number.
inline Reading ReadNumbers(const char* text, int64_t* numbers, int32_t* count) {
    *count = 0;
    if (*text == 0) {
        return Reading::Numbers;
    }
    for (;;) {
        bool negative = *text == '-';
        text += negative ? 1 : 0;
        const char* digits = text;
        int64_t value = 0;
        while (*text >= '0' && *text <= '9' && text - digits < 11) {
            value = value * 10 + (*text++ - '0');
        }
        int64_t length = text - digits;
        if (length == 0 || (length > 1 && *digits == '0') || (negative && value == 0)) {
            return Reading::Malformed;
        }
        if (*count == MAX_LISTED_NUMBERS) {
            return Reading::TooMany;
        }
        numbers[(*count)++] = negative ? -value : value;
        if (*text == 0) {
            return Reading::Numbers;
        }
        if (text[0] != ',' || text[1] != ' ') {
            return Reading::Malformed;
        }
        text += 2;
    }
}

// Arithmetic modulo an odd n below 2^31 in Montgomery form (x stands for x * 2^32 mod n), so
// that a product needs no 64-bit division.
struct MontgomeryModulus {
    uint32_t n;
    uint32_t negativeInverse; // -1 / n modulo 2^32
    uint32_t one;             // 2^32 mod n: 1 in Montgomery form
    uint32_t rSquared;        // 2^64 mod n: turns a number into Montgomery form
};

inline MontgomeryModulus MakeModulus(uint32_t n) {
    // Each step doubles the correct low bits of the inverse; n * n = 1 modulo 8 gives three.
    uint32_t inverse = n;
    for (int32_t step = 0; step < 4; step++) {
        inverse *= 2 - n * inverse;
    }
    uint64_t one = (UINT64_C(1) << 32) % n;
    return {n, 0u - inverse, static_cast<uint32_t>(one), static_cast<uint32_t>(one * one % n)};
}

// t / 2^32 modulo n, for t below n * 2^32; the sum stays below 2^64 because n < 2^31.
inline uint32_t Reduce(const MontgomeryModulus& modulus, uint64_t t) {
    uint32_t q = static_cast<uint32_t>(t) * modulus.negativeInverse;
    uint32_t r = static_cast<uint32_t>((t + static_cast<uint64_t>(q) * modulus.n) >> 32);
    return r >= modulus.n ? r - modulus.n : r;
}

inline uint32_t Multiply(const MontgomeryModulus& modulus, uint32_t a, uint32_t b) {
    return Reduce(modulus, static_cast<uint64_t>(a) * b);
}

// Miller-Rabin with the bases 2, 7 and 61, which tell every odd n from 63 up to
// 4,759,123,140 right; n must be below 2^31.
inline bool IsPrimeByMillerRabin(uint32_t n) {
    MontgomeryModulus modulus = MakeModulus(n);
    uint32_t minusOne = n - modulus.one;
    uint32_t odd = n - 1;
    int32_t twos = 0;
    while (odd % 2 == 0) {
        odd /= 2;
        twos++;
    }
    for (uint32_t base : {2u, 7u, 61u}) {
        uint32_t x = modulus.one;
        uint32_t power = Multiply(modulus, base, modulus.rSquared);
        for (uint32_t e = odd; e != 0; e /= 2) {
            if (e % 2 != 0) {
                x = Multiply(modulus, x, power);
            }
            power = Multiply(modulus, power, power);
        }
        bool passes = x == modulus.one || x == minusOne;
        for (int32_t i = 1; i < twos && !passes; i++) {
            x = Multiply(modulus, x, x);
            passes = x == minusOne;
        }
        if (!passes) {
            return false;
        }
    }
    return true;
}

constexpr uint32_t SIEVE_LIMIT = 1u << 16;

// A sieve of Eratosthenes below 2^16, made on first use.
inline bool IsPrimeBelowSieveLimit(uint32_t n) {
    static const std::vector<bool> composite = [] {
        std::vector<bool> marks(SIEVE_LIMIT, false);
        marks[0] = marks[1] = true;
        for (uint32_t p = 2; p * p < SIEVE_LIMIT; p++) {
            for (uint32_t multiple = p * p; !marks[p] && multiple < SIEVE_LIMIT; multiple += p) {
                marks[multiple] = true;
            }
        }
        return marks;
    }();
    return !composite[n];
}

// For 0 <= n <= 2^31.
inline bool IsPrime(uint32_t n) {
    if (n < SIEVE_LIMIT) {
        return IsPrimeBelowSieveLimit(n);
    }
    return n % 2 != 0 && IsPrimeByMillerRabin(n);
}

// Null when the texts are right for n; otherwise what is wrong, as a user would say it.
inline const char* FindRowFault(int32_t n, const char* factorText, const char* divisorText) {
    if (factorText == nullptr || divisorText == nullptr) {
        return "a text is missing";
    }
    int64_t magnitude = n < 0 ? -static_cast<int64_t>(n) : n;
    int64_t numbers[MAX_LISTED_NUMBERS];
    int32_t count = 0;
    if (ReadNumbers(factorText, numbers, &count) != Reading::Numbers) {
        return "the factors are not numbers joined by \", \"";
    }
    int32_t first = 0;
    if (n < 0) {
        if (count == 0 || numbers[0] != -1) {
            return "a negative number's factors do not begin with -1";
        }
        first = 1;
    }
    // The product stays at most 2^31 and the divisor count small: both stop at the first
    // factor too many.
    int64_t product = 1;
    int64_t divisorCount = 1;
    int64_t exponent = 0;
    for (int32_t i = first; i < count; i++) {
        int64_t factor = numbers[i];
        if (factor < 2 || factor > magnitude || !IsPrime(static_cast<uint32_t>(factor))) {
            return "a factor is not a prime";
        }
        if (i > first && factor < numbers[i - 1]) {
            return "the factors are out of order";
        }
        exponent = i > first && factor == numbers[i - 1] ? exponent + 1 : 1;
        divisorCount = divisorCount / exponent * (exponent + 1);
        product *= factor;
        if (product > magnitude) {
            return "the factors multiply to more than the number";
        }
    }
    if (n == 0) {
        if (count != 0) {
            return "0 has factors";
        }
        return *divisorText == 0 ? nullptr : "0 has divisors";
    }
    if (product != magnitude) {
        return "the factors multiply to less than the number";
    }

    switch (ReadNumbers(divisorText, numbers, &count)) {
    case Reading::Numbers:
        break;
    case Reading::Malformed:
        return "the divisors are not numbers joined by \", \"";
    case Reading::TooMany:
        return "more divisors than any number has";
    }
    for (int32_t i = 0; i < count; i++) {
        if (numbers[i] < 1 || magnitude % numbers[i] != 0) {
            return "a divisor does not divide the number";
        }
        if (i > 0 && numbers[i] <= numbers[i - 1]) {
            return "the divisors do not ascend";
        }
    }
    // Distinct divisors, as many as there are: every divisor is listed.
    if (count != divisorCount) {
        return count < divisorCount ? "divisors are missing" : "divisors are repeated";
    }
    return nullptr;
}

// Where the texts are hardest, each as a number and its negative, ascending: the powers
// of two (the most factors; -2^31, whose magnitude no signed number holds, too); the
// squares and products of the 30 largest primes below 46,341 (the least prime factor that
// trial division finds last); the numbers with the most divisors (1,440 to 1,600); the ends
// of the range and 0.
inline std::vector<int32_t> HardPlaces() {
    std::vector<int32_t> places = {0, INT32_MAX, INT32_MIN};
    for (int32_t power = 0; power <= 30; power++) {
        places.push_back(INT32_C(1) << power);
    }
    std::vector<int32_t> largePrimes;
    for (int32_t p = 46340; largePrimes.size() < 30; p--) {
        if (IsPrime(static_cast<uint32_t>(p))) {
            largePrimes.push_back(p);
        }
    }
    for (size_t i = 0; i < largePrimes.size(); i++) {
        for (size_t j = i; j < largePrimes.size(); j++) {
            places.push_back(largePrimes[i] * largePrimes[j]);
        }
    }
    for (int32_t most :
         {2095133040, 1862340480, 1837836000, 1745944200, 1470268800, 1396755360, 1715313600,
          1960358400, 1816214400, 1764322560, 1286485200, 1163962800, 1102701600}) {
        places.push_back(most);
    }
    for (size_t i = 0, positive = places.size(); i < positive; i++) {
        if (places[i] > 0) {
            places.push_back(-places[i]);
        }
    }
    std::sort(places.begin(), places.end());
    places.erase(std::unique(places.begin(), places.end()), places.end());
    return places;
}

} // namespace factor_text_proof
