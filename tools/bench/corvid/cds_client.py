#!/usr/bin/python3
"""ContentDirectory client for the media server benchmark (plain SOAP over HTTP).

  cds_client.py first-complete DESC_URL FOLDER COUNT TIMEOUT  -> seconds until a complete Browse
  cds_client.py latency DESC_URL FOLDER COUNT ROUNDS          -> median seconds of one Browse
      (the HTTP exchanges of all its pages, without the client's own XML parsing)
  cds_client.py item-url DESC_URL FOLDER                      -> resource URL of FOLDER's first item
  cds_client.py answer-bytes DESC_URL FOLDER COUNT PARALLEL    -> bytes of one complete answer,
      after PARALLEL complete Browses of FOLDER made at the same time (single requests, no paging)

FOLDER is a container title found breadth-first from the root ("0"). A Browse is complete when
the folder's items, fetched page by page where a server cuts its answers, number COUNT.
"""
import statistics
import sys
import threading
import time
import urllib.parse
import urllib.request
import xml.etree.ElementTree as ET

CDS = "urn:schemas-upnp-org:service:ContentDirectory:1"
DIDL = "{urn:schemas-upnp-org:metadata-1-0/DIDL-Lite/}"
DC = "{http://purl.org/dc/elements/1.1/}"


def control_url(desc_url):
    with urllib.request.urlopen(desc_url, timeout=5) as r:
        root = ET.fromstring(r.read())
    for el in root.iter():
        if el.tag.endswith("service"):
            fields = {c.tag.split("}")[-1]: (c.text or "") for c in el}
            if fields.get("serviceType", "").startswith(
                    "urn:schemas-upnp-org:service:ContentDirectory:"):
                return urllib.parse.urljoin(desc_url, fields["controlURL"])
    raise RuntimeError("no ContentDirectory in " + desc_url)


def browse_raw(ctl, object_id, start, count, timeout=120):
    """The response body of one Browse, unparsed."""
    body = ('<?xml version="1.0"?><s:Envelope xmlns:s="http://schemas.xmlsoap.org/soap/envelope/"'
            ' s:encodingStyle="http://schemas.xmlsoap.org/soap/encoding/"><s:Body>'
            '<u:Browse xmlns:u="%s"><ObjectID>%s</ObjectID>'
            '<BrowseFlag>BrowseDirectChildren</BrowseFlag><Filter>*</Filter>'
            '<StartingIndex>%d</StartingIndex><RequestedCount>%d</RequestedCount>'
            '<SortCriteria></SortCriteria></u:Browse></s:Body></s:Envelope>'
            % (CDS, object_id, start, count)).encode()
    req = urllib.request.Request(ctl, data=body, headers={
        "Content-Type": 'text/xml; charset="utf-8"', "SOAPACTION": '"%s#Browse"' % CDS})
    with urllib.request.urlopen(req, timeout=timeout) as r:
        return r.read()


def parse_page(raw):
    env = ET.fromstring(raw)
    out = {}
    for el in env.iter():
        name = el.tag.split("}")[-1]
        if name in ("Result", "NumberReturned", "TotalMatches"):
            out[name] = el.text or ""
    didl = ET.fromstring(out.get("Result") or "<DIDL-Lite/>")
    return didl, int(out.get("NumberReturned") or 0), int(out.get("TotalMatches") or 0)


def browse_all(ctl, object_id, timing=None):
    """Every child, page by page; returns (containers, items) as lists of elements. timing, a
    one-element list, adds up the time of the HTTP exchanges alone (not the XML parsing)."""
    containers, items, start = [], [], 0
    while True:
        t = time.monotonic()
        raw = browse_raw(ctl, object_id, start, 0 if start == 0 else 5000)
        if timing is not None:
            timing[0] += time.monotonic() - t
        didl, returned, total = parse_page(raw)
        for el in didl:
            (containers if el.tag == DIDL + "container" else items).append(el)
        start += returned
        if returned == 0 or start >= total:
            return containers, items


def find_folder(ctl, title, depth=4):
    level = ["0"]
    for _ in range(depth):
        nxt = []
        for oid in level:
            containers, _ = browse_all(ctl, oid)
            for c in containers:
                t = c.find(DC + "title")
                if t is not None and t.text == title:
                    return c.get("id")
                # Big listings (all tracks, all albums) are not searched further.
                if int(c.get("childCount") or 0) <= 500:
                    nxt.append(c.get("id"))
        level = nxt
    return None


def main():
    cmd, desc = sys.argv[1], sys.argv[2]
    if cmd == "first-complete":
        folder, count, limit = sys.argv[3], int(sys.argv[4]), float(sys.argv[5])
        t0 = time.monotonic()
        while time.monotonic() - t0 < limit:
            try:
                ctl = control_url(desc)
                oid = find_folder(ctl, folder)
                if oid is not None and len(browse_all(ctl, oid)[1]) >= count:
                    print("%.3f" % (time.monotonic() - t0))
                    return 0
            except Exception:
                pass
            time.sleep(0.1)
        print("none")
        return 1
    ctl = control_url(desc)
    oid = find_folder(ctl, sys.argv[3])
    if oid is None:
        print("none")
        return 1
    if cmd == "latency":
        count, rounds = int(sys.argv[4]), int(sys.argv[5])
        times = []
        for _ in range(rounds):
            timing = [0.0]
            n = len(browse_all(ctl, oid, timing)[1])
            times.append(timing[0])
            if n < count:
                print("incomplete")
                return 1
        print("%.4f" % statistics.median(times))
        return 0
    if cmd == "item-url":
        items = browse_all(ctl, oid)[1]
        res = items[0].find(DIDL + "res")
        print(res.text.strip())
        return 0
    if cmd == "answer-bytes":
        count, parallel = int(sys.argv[4]), int(sys.argv[5])
        sizes = []
        threads = [threading.Thread(target=lambda: sizes.append(len(browse_raw(ctl, oid, 0, 0))))
                   for _ in range(parallel)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        if len(sizes) != parallel or min(sizes) < count * 100:
            print("incomplete")
            return 1
        print(max(sizes))
        return 0
    return 2


if __name__ == "__main__":
    sys.exit(main())
