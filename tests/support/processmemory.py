"""What a process holds, read from /proc, for the scripts that measure the programs."""


def peak_rss_kib(pid):
    """The process's peak resident size in KiB (VmHWM), or -1 when it cannot be read."""
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return -1
