#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "vpr/win/clock.h"

namespace {

// Sets TZ for the length of a test and puts the old value back.
class TzScope {
public:
    explicit TzScope(const char* tz) {
        const char* old = std::getenv("TZ");
        had_ = old != nullptr;
        if (had_) old_ = old;
        setenv("TZ", tz, 1);
    }
    ~TzScope() {
        if (had_)
            setenv("TZ", old_.c_str(), 1);
        else
            unsetenv("TZ");
        _tzset();
    }

private:
    bool had_ = false;
    std::string old_;
};

// The standard offset follows the process's TZ, summer time or not, and it
// agrees with the local times ToLocalTime gives in winter.
TEST(TimeZone, TzsetGivesUniversalMinusLocalStandardTime) {
    struct Case {
        const char* tz;
        long expected;
    } cases[] = {{"EST5EDT", 18000}, {"CET-1CEST", -3600}, {"UTC0", 0}, {"IST-5:30", -19800}, {"PST8PDT", 28800}};
    const int64_t january = 978307200;  // 2001-01-01 00:00 UTC, standard time everywhere above
    for (const Case& c : cases) {
        TzScope scope(c.tz);
        _tzset();
        EXPECT_EQ(_timezone, c.expected) << c.tz;
        std::tm local{};
        ASSERT_TRUE(vpr::win::ToLocalTime(january, &local));
        std::tm utc = local;
        EXPECT_EQ(january - timegm(&utc), c.expected) << c.tz;
    }
}

}  // namespace
