#!/usr/bin/env python3
"""Writes a synthetic chain of index option quotes as CSV, for `calibrate chain`.

The quotes come from a known arbitrage-free surface: an SSVI surface (every
expiry an SVI smile) with a falling at-the-money term structure, a negative
skew (rho) and a dividend yield of its own at each expiry. Each quote is the
lognormal price at the surface's volatility, optionally shaken by uniform
noise in volatility, with a bid and an ask around it. Trading is continuous
(365-day years), as the program's default calendar.

    tools/make-chain.py --date 2009-03-05 --time 16:30 > chain.csv
"""

import argparse
import csv
import datetime
import math
import random
import sys


def norm_cdf(x):
    return 0.5 * math.erfc(-x / math.sqrt(2))


def black(call, forward, strike, tau, vol, discount):
    spread = vol * math.sqrt(tau)
    d1 = math.log(forward / strike) / spread + spread / 2
    d2 = d1 - spread
    if call:
        return discount * (forward * norm_cdf(d1) - strike * norm_cdf(d2))
    return discount * (strike * norm_cdf(-d2) - forward * norm_cdf(-d1))


def atm_vol(tau, short, long_, decay):
    return long_ + (short - long_) * math.exp(-tau / decay)


def ssvi_vol(tau, k, rho, eta, atm):
    theta = atm * atm * tau
    phi = eta / math.sqrt(theta * (1 + theta))
    x = phi * k + rho
    w = theta / 2 * (1 + rho * phi * k + math.sqrt(x * x + 1 - rho * rho))
    return math.sqrt(w / tau)


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--date", default="2009-03-05", help="market date, YYYY-MM-DD")
    p.add_argument("--time", default="16:30", help="market time and every expiry's time, HH:MM")
    p.add_argument("--level", type=float, default=100)
    p.add_argument("--rate", type=float, default=5, help="percent, continuously compounded")
    p.add_argument("--days", default="7,30,61,91,182,365,730", help="expiries, in days after the date")
    p.add_argument("--yields", default="1,2,3", help="dividend yields in percent, repeated over the expiries")
    p.add_argument("--strikes", type=int, default=9, help="strikes per expiry, within +-2 standard deviations")
    p.add_argument("--short-vol", type=float, default=25, help="at-the-money vol at the shortest end, percent")
    p.add_argument("--long-vol", type=float, default=17, help="at-the-money vol at the longest end, percent")
    p.add_argument("--rho", type=float, default=-0.7)
    p.add_argument("--eta", type=float, default=1.0, help="skew scale; eta (1 + |rho|) <= 2 keeps it arbitrage-free")
    p.add_argument("--noise", type=float, default=0, help="uniform noise on each quote's vol, in vol points")
    p.add_argument("--spread", type=float, default=0.5, help="bid to ask, in vol points")
    p.add_argument("--seed", type=int, default=1)
    a = p.parse_args()

    random.seed(a.seed)
    start = datetime.datetime.strptime(a.date + " " + a.time, "%Y-%m-%d %H:%M")
    yields = [float(y) / 100 for y in a.yields.split(",")]
    rate = a.rate / 100
    out = csv.writer(sys.stdout, lineterminator="\n")
    out.writerow(["expiry", "time", "strike", "type", "bid", "ask"])
    for i, days in enumerate(int(d) for d in a.days.split(",")):
        expiry = start + datetime.timedelta(days=days)
        tau = days / 365
        q = yields[i % len(yields)]
        forward = a.level * math.exp((rate - q) * tau)
        discount = math.exp(-rate * tau)
        atm = atm_vol(tau, a.short_vol / 100, a.long_vol / 100, 0.4)
        for j in range(a.strikes):
            z = -2 + 4 * j / (a.strikes - 1)
            strike = round(forward * math.exp(z * atm * math.sqrt(tau)), 2)
            vol = ssvi_vol(tau, math.log(strike / forward), a.rho, a.eta, atm)
            for call in (True, False):
                mid = vol + random.uniform(-a.noise, a.noise) / 100
                half = a.spread / 200
                bid = black(call, forward, strike, tau, mid - half, discount)
                ask = black(call, forward, strike, tau, mid + half, discount)
                out.writerow([expiry.strftime("%d%b%y").lower(), a.time, f"{strike:g}", "C" if call else "P",
                              f"{bid:.4f}", f"{ask:.4f}"])


if __name__ == "__main__":
    main()
