#!/usr/bin/env python3
"""Writes cases.txt, the list the number-rules program runs on both builds.

Run once; the list is kept in the tree so that every run compares the same cases. The seed is
fixed, so running it again gives the same file. The cases lean on what rounds differently when
intermediate results are kept wider than a double: amounts with three or more places, sums that
land within a hundredth of a half cent, half-cent ties, and rate products.
"""
import random
from decimal import Decimal
from pathlib import Path

rng = random.Random(20)
lines = []


def dollars(places, top=99999):
    whole = rng.randint(0, top)
    frac = rng.randint(0, 10**places - 1)
    return f"{whole}.{frac:0{places}d}" if places else str(whole)


def money_text(text):
    """The text as a dialog's money box may hold it: a dollar sign and thousands separators."""
    neg = text.startswith("-")
    whole, _, frac = text.lstrip("-").partition(".")
    grouped = f"{int(whole):,}"
    out = ("-" if neg else "") + rng.choice(["", "$"]) + grouped
    return out + ("." + frac if frac else "")


# Single texts: ties at half a cent, texts just beside them, many places, the other spellings.
for _ in range(300):
    lines.append(f"text {dollars(2)}5")
for _ in range(200):
    t = dollars(2)
    lines.append(f"text {t}{rng.choice(['4999', '5001', '49999', '50001', '499999'])}")
for _ in range(250):
    lines.append(f"text {dollars(rng.randint(3, 6))}")
for _ in range(200):
    t = dollars(3, top=9999999)
    lines.append(f"text {money_text(rng.choice(['', '-']) + t)}")
for _ in range(60):
    mantissa = f"{rng.randint(1, 99999)}.{rng.randint(0, 999):03d}"
    letter = rng.choice("eEdD")
    lines.append(f"text {mantissa}{letter}{rng.choice(['', '-', '+'])}{rng.randint(0, 4)}")
for text in ["0", ".005", ".015", ".125", "-.125", "0.285", "1.005", "2.675", "1.115", "8.345",
             "1e", "12abc", "2D1", "999999999999.995", "4503599627370.495", "-0.0", "0.062",
             "6.2", "1.45", "0.0145", "0.008", "0.0062", "2.7", "0.054", "0.00999999", "0.01"]:
    lines.append(f"text {text}")

# Sums of liability amounts: one to 31 days of a month, three or four places.
for _ in range(500):
    n = rng.randint(1, 31)
    lines.append("sum " + " ".join(dollars(rng.choice([2, 3, 3, 4]), top=9999) for _ in range(n)))
# Sums whose total lands within a hundredth of a half cent of a half cent: the last amount is
# chosen to make it so.
for _ in range(700):
    n = rng.randint(2, 31)
    amounts = [Decimal(dollars(rng.choice([3, 4]), top=9999)) for _ in range(n - 1)]
    total = sum(amounts)
    target = total.quantize(Decimal("0.01")) + Decimal("0.005")
    target += Decimal(rng.randint(-50, 50)) / Decimal(10**6)
    last = target - total
    if last < 0:
        last += Decimal(rng.randint(1, 500))
    amounts.append(last.quantize(Decimal("0.000001")).normalize())
    lines.append("sum " + " ".join(format(a, "f") for a in amounts))

# Rates by amounts, the recap's and the forms'.
ss_rates = ["0.062", "6.2", "0.0620", "0.042", "4.2", "0.124", "0.0625", "6.25"]
medicare_rates = ["0.0145", "1.45", "0.009", "0.0235", "2.35", "0.029"]
unemployment_rates = ["0.008", "0.8", "0.006", "0.0062", "2.7", "0.054", "5.4", "0.00999", "0.01", "3.125"]
for _ in range(600):
    places = rng.choice([2, 2, 3])
    lines.append("rates " + " ".join([rng.choice(ss_rates), rng.choice(ss_rates), rng.choice(medicare_rates),
                                      rng.choice(medicare_rates), rng.choice(unemployment_rates),
                                      dollars(places, top=rng.choice([999, 99999, 9999999])),
                                      dollars(places, top=rng.choice([0, 999, 99999]))]))

# The room under a wage base.
for _ in range(200):
    base = rng.choice(["7000", "87900", "90000", "94200", "106800", "12345.67"])
    year = dollars(rng.choice([2, 3]), top=150000)
    quarter = dollars(rng.choice([2, 3]), top=40000)
    lines.append(f"room {base} {year} {quarter}")

# The fraction-of-cents rule: a liability a few cents either side of the taxes, adjustments
# mostly empty, money texts of two or three places.
for _ in range(400):
    taxes = Decimal(dollars(rng.choice([2, 3]), top=999999))
    liability = taxes + Decimal(rng.randint(-400, 400)) / Decimal(rng.choice([100, 1000]))
    adjustments = ["0"] * 7
    for i in rng.sample(range(7), rng.choice([0, 0, 0, 1, 2])):
        adjustments[i] = f"{rng.choice(['', '-'])}{dollars(rng.choice([2, 3]), top=9)}"
    lines.append("gap " + " ".join([money_text(format(liability, "f")), money_text(format(taxes, "f"))] + adjustments))

Path(__file__).with_name("cases.txt").write_text("".join(line + "\n" for line in lines))
print(len(lines), "cases")
