// The area-code table: every key with its region code, the texts given word for word,
// the trailing blanks and lengths, and the reading of the number.
#include "text/AreaCode.h"

#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>

namespace tarnwick {
namespace {

const char* const kKeys = "201 NJ 202 DC 203 CT 204 MB 205 AL 206 WA 207 ME 208 ID 209 CA 210 TX 211 -- 212 "
                          "NY 213 CA 214 TX 215 PA "
                          "216 OH 217 IL 218 MN 219 IN 224 IL 225 LA 228 MS 229 GA 231 MI 234 OH 236 VA 239 "
                          "FL 240 MD 242 -- 246 -- "
                          "248 MI 249 MD 250 BC 251 AL 252 NC 253 WA 254 TX 256 AL 260 IN 262 WI 264 -- 267 "
                          "PA 268 -- 269 MI 270 KY "
                          "276 VA 278 MI 280 MD 281 TX 282 IL 283 OH 284 -- 289 ON 301 MD 302 DE 303 CO 304 "
                          "WV 305 FL 306 SK 307 WY "
                          "308 NE 309 IL 310 CA 311 -- 312 IL 313 MI 314 MO 315 NY 316 KS 317 IN 318 LA 319 "
                          "IA 320 MN 321 FL 323 CA "
                          "325 TX 327 KY 330 OH 331 IL 334 AL 336 NC 337 LA 339 MA 340 -- 341 CA 345 -- 347 "
                          "NY 351 MA 352 FL 353 WI "
                          "354 -- 358 PA 360 WA 361 TX 369 CA 380 OH 381 VA 383 ME 385 UT 386 FL 401 RI 402 "
                          "NE 403 AB 404 GA 405 OK "
                          "406 MT 407 FL 408 CA 409 TX 410 MD 411 -- 412 PA 413 MA 414 WI 415 CA 416 ON 417 "
                          "MO 418 QC 419 OH 420 WI "
                          "423 TN 424 CA 425 WA 430 TX 432 TX 434 VA 435 UT 438 QC 440 OH 441 -- 442 CA 443 "
                          "MD 445 PA 450 QC 456 -- "
                          "464 IL 469 TX 470 GA 473 -- 475 CT 478 GA 479 AR 480 AZ 484 PA 500 -- 501 AR 502 "
                          "KY 503 OR 504 LA 505 NM "
                          "506 NB 507 MN 508 MA 509 WA 510 CA 511 -- 512 TX 513 OH 514 QC 515 IA 516 NY 517 "
                          "MI 518 NY 519 ON 520 AZ "
                          "530 CA 540 VA 541 OR 546 MI 551 NJ 555 -- 557 MO 559 CA 561 FL 562 CA 563 IA 564 "
                          "WA 567 OH 570 PA 571 VA "
                          "573 MO 574 IN 580 OK 585 NY 586 MI 590 -- 600 -- 601 MS 602 AZ 603 NH 604 BC 605 "
                          "SD 606 KY 607 NY 608 WI "
                          "609 NJ 610 PA 611 -- 612 MN 613 ON 614 OH 615 TN 616 MI 617 MA 618 IL 619 CA 620 "
                          "KS 623 AZ 626 CA 627 CA "
                          "628 CA 630 IL 631 NY 636 MO 641 IA 646 NY 647 ON 649 -- 650 CA 651 MN 657 CA 660 "
                          "MO 661 CA 662 MS 664 -- "
                          "669 CA 670 MP 671 GU 678 GA 679 MI 682 TX 684 -- 689 FL 700 -- 701 ND 702 NV 703 "
                          "VA 704 NC 705 ON 706 GA "
                          "707 CA 708 IL 709 NF 710 -- 711 -- 712 IA 713 TX 714 CA 715 WI 716 NY 717 PA 718 "
                          "NY 719 CO 720 CO 724 PA "
                          "727 FL 731 TN 732 NJ 734 MI 737 TX 740 OH 747 CA 752 CA 754 FL 757 VA 758 -- 760 "
                          "CA 763 MN 764 CA 765 IN "
                          "767 -- 770 GA 772 FL 773 IL 774 MA 775 NV 778 BC 780 AB 781 MA 784 -- 785 KS 786 "
                          "FL 787 PR 800 -- 801 UT "
                          "802 VT 803 SC 804 VA 805 CA 806 TX 807 ON 808 HI 809 -- 810 MI 811 -- 812 IN 813 "
                          "FL 814 PA 815 IL 816 MO "
                          "817 TX 818 CA 819 QC 822 -- 828 NC 830 TX 831 CA 832 TX 833 -- 835 PA 836 FL 843 "
                          "SC 844 -- 845 NY 847 IL "
                          "848 NJ 850 FL 855 -- 856 NJ 857 MA 858 CA 859 KY 860 CT 861 FL 862 NJ 863 FL 864 "
                          "SC 865 TN 866 -- 867 YT "
                          "868 -- 869 -- 870 AR 872 IL 876 -- 877 -- 878 PA 880 -- 881 -- 882 -- 888 -- 900 "
                          "-- 901 TN 902 NS 903 TX "
                          "904 FL 905 ON 906 MI 907 AK 908 NJ 909 CA 910 NC 911 -- 912 GA 913 KS 914 NY 915 "
                          "TX 916 CA 917 NY 918 OK "
                          "919 NC 920 WI 925 CA 928 AZ 931 TN 935 CA 936 TX 937 OH 939 PR 940 TX 941 FL 947 "
                          "MI 949 CA 951 CA 952 MN "
                          "954 FL 956 TX 957 NM 959 CT 969 MD 970 CO 971 OR 972 TX 973 NJ 975 MO 976 -- 978 "
                          "MA 979 TX 980 NC 984 NC "
                          "985 LA 989 MI 999 --";

const std::string kUnknown = "Unknown/International";

std::string Lookup(int code) {
    std::string number = std::to_string(code) + "-555-1234";
    return AreaCodeLocation(number);
}

// Every three-digit code that has a row, with its text.
std::map<int, std::string> AllRows() {
    std::map<int, std::string> rows;
    for (int code = 100; code <= 999; ++code) {
        const std::string text = Lookup(code);
        if (text != kUnknown) {
            rows[code] = text;
        }
    }
    return rows;
}

TEST(AreaCodeTable, HoldsExactlyTheKeysWithTheirRegionCodes) {
    std::map<int, std::string> expected;
    std::istringstream keys(kKeys);
    int code = 0;
    std::string region;
    while (keys >> code >> region) {
        expected[code] = region;
    }
    ASSERT_EQ(expected.size(), 393U);
    const std::map<int, std::string> rows = AllRows();
    ASSERT_EQ(rows.size(), 393U);
    for (const auto& [key, text] : rows) {
        ASSERT_TRUE(expected.contains(key)) << key;
        EXPECT_EQ(text.substr(0, 4), expected[key] + "  ") << key;
    }
    // Below 100 ("1-" would be taken for the country code and is read in ReadsTheNumber).
    for (int below = 0; below < 100; ++below) {
        if (below == 1) {
            continue;
        }
        EXPECT_EQ(Lookup(below), kUnknown) << below;
    }
}

TEST(AreaCodeTable, TrailingBlanksAndLengthsHold) {
    int oneBlank = 0;
    int twoBlanks = 0;
    std::string noBlank;
    std::size_t longestOther = 0;
    for (const auto& [key, text] : AllRows()) {
        const std::size_t kept = text.find_last_not_of(' ');
        const std::size_t blanks = text.size() - kept - 1;
        oneBlank += blanks == 1 ? 1 : 0;
        twoBlanks += blanks == 2 ? 1 : 0;
        if (blanks == 0) {
            noBlank += std::to_string(key) + " ";
        }
        EXPECT_LE(blanks, 2U) << key;
        // A description follows the region code and its two spaces.
        EXPECT_GT(kept, 4U) << key;
        EXPECT_NE(text[4], ' ') << key;
        for (const char c : text) {
            EXPECT_TRUE(c >= 32 && c < 127) << key;
        }
        if (key != 845) {
            longestOther = std::max(longestOther, text.size());
        }
    }
    EXPECT_EQ(oneBlank, 279);
    EXPECT_EQ(twoBlanks, 112);
    EXPECT_EQ(noBlank, "473 868 ");
    EXPECT_EQ(Lookup(845).size(), 240U);
    EXPECT_LT(longestOther, 240U);
}

TEST(AreaCodeTable, GivenTextsAreWordForWord) {
    const std::map<int, std::string> given = {
        {201, "NJ  N New Jersey: Jersey City, Hackensack (see split 973, overlay 551)  "},
        {202, "DC  Washington, D.C. "},
        {204, "MB  Canada: Manitoba "},
        {212, "NY  New York City, New York (Manhattan; see 646, 718) "},
        {354, "--  Canada (region unknown) "},
        {416, "ON  Canada: S Cent. Ontario: Toronto (see overlay 647, eff 3/5/01)  "},
        {456, "--  Inbound International "},
        {473, "--  Grenada"},
        {555, "--  Reserved for directory assistance applications  "},
        {670, "MP  Commonwealth of the Northern Mariana Islands (CNMI, US Commonwealth) "},
        {671, "GU  Guam "},
        {787, "PR  Puerto Rico (see overlay 939, perm 8/1/01)  "},
        {800, "--  US/Canada toll free (see 888, 877, 866, 855, 844, 833, 822) "},
        {822, "--  US/Canada toll free (proposed, may not be in use yet) "},
        {833, "--  US/Canada toll free (proposed, may not be in use yet) "},
        {844, "--  US/Canada toll free (proposed, may not be in use yet) "},
        {855, "--  US/Canada toll free (proposed, may not be in use yet) "},
        {866, "--  US/Canada toll free "},
        {877, "--  US/Canada toll free "},
        {888, "--  US/Canada toll free "},
        {880, "--  Paid Toll-Free Service  "},
        {881, "--  Paid Toll-Free Service  "},
        {882, "--  Paid Toll-Free Service  "},
        {900, "--  US toll calls -- prices vary with the number called "},
        {911, "--  Emergency "},
        {976, "--  Pay services "},
        {999, "--  Often used by carriers to indicate that the area code information is unavailable for "
              "CNID, even "
              "though the rest of the number is present "},
    };
    for (const auto& [key, text] : given) {
        EXPECT_EQ(Lookup(key), text) << key;
    }
}

TEST(AreaCodeTable, CountriesAndServicesAreNamed) {
    const std::map<int, std::string> named = {{242, "Bahamas"},   {246, "Barbados"},     {441, "Bermuda"},
                                              {809, "Dominican"}, {868, "Trinidad"},     {876, "Jamaica"},
                                              {411, "directory"}, {907, "Alaska"},       {808, "Hawaii"},
                                              {867, "Yukon"},     {709, "Newfoundland"}, {340, "Virgin"}};
    for (const auto& [key, word] : named) {
        EXPECT_NE(Lookup(key).find(word), std::string::npos) << key;
    }
}

struct NumberCase {
    const char* number;
    std::string location;
    const char* numberAfter;
};

TEST(AreaCodeLocation, ReadsTheNumber) {
    const std::string row800 = "--  US/Canada toll free (see 888, 877, 866, 855, 844, 833, 822) ";
    const std::string row212 = "NY  New York City, New York (Manhattan; see 646, 718) ";
    const NumberCase cases[] = {
        {"1-800-555-1234", row800, "800-555-1234"},
        {"800-555-1234", row800, "800-555-1234"},
        {"212-555-1234", row212, "212-555-1234"},
        {"473-555-1234", "--  Grenada", "473-555-1234"},
        {"123-555-1234", kUnknown, "123-555-1234"},
        {"5551234", kUnknown, "5551234"},
        {"AB1-555-1234", kUnknown, "AB1-555-1234"},
        {"080-555-1234", kUnknown, "080-555-1234"},
        {"0212-555-1234", row212, "0212-555-1234"},
        {"1-1-800-555", kUnknown, "1-800-555"},
        {"1-555-1234", "--  Reserved for directory assistance applications  ", "555-1234"},
        {"-800-555-1234", kUnknown, "-800-555-1234"},
        {"800", kUnknown, "800"},
        {"800-", row800, "800-"},
        {"1-", kUnknown, ""},
        {"", kUnknown, ""},
        {"99999999999999999999-555", kUnknown, "99999999999999999999-555"},
        {"1800-555-1234", kUnknown, "1800-555-1234"},
    };
    for (const NumberCase& c : cases) {
        std::string number = c.number;
        EXPECT_EQ(AreaCodeLocation(number), c.location) << c.number;
        EXPECT_EQ(number, c.numberAfter) << c.number;
    }
    EXPECT_EQ(Lookup(999).substr(0, 30), "--  Often used by carriers to ");
}

} // namespace
} // namespace tarnwick
