#!/usr/bin/env python3
"""Reads an EDF+ file with MNE-Python and prints what it found as JSON: the
sampling rate, the channel names, the samples in microvolts, the annotations
and the header's start. Exit code 3 when MNE is not installed."""
import json
import sys

try:
    import mne
except ImportError:
    sys.exit(3)


def main(path):
    raw = mne.io.read_raw_edf(path, preload=True, verbose="error")
    data = raw.get_data() * 1e6  # volts to microvolts
    out = {
        "sfreq": raw.info["sfreq"],
        "channels": raw.ch_names,
        "samples": [[round(float(v), 4) for v in row] for row in data],
        "annotations": [
            {"onset": float(a["onset"]), "duration": float(a["duration"]), "text": a["description"]}
            for a in raw.annotations
        ],
        "start": raw.info["meas_date"].strftime("%Y%m%d%H%M%S") if raw.info["meas_date"] else "",
    }
    json.dump(out, sys.stdout)


if __name__ == "__main__":
    main(sys.argv[1])
