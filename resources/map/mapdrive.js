// The map of a whole drive: its route coloured by speed (faint outside the
// recording playing), gaps where there was no fix, the driven part up to
// the vehicle, a legend in the speed display's unit, and the route as a
// way to move through the drive: a click asks the player to go to the
// nearest point, hovering shows the clock time and speed there.
//
// Functions added to the page's six:
//   drive_route(d)  the drive: arrays t (ms), lat, lng (WGS-84), v (km/h),
//                   h (degrees), p (recording), g (indices starting a new
//                   line); null clears it
//   drive_pos(i)    point i is the one shown (-1: none yet)
//   drive_units(u)  'kmh' or 'mph'
//   drive_events(l) the drive's driving events, a list of {k: kind, i: point,
//                   lat, lng (WGS-84), t: clock time or '', g: peak in G};
//                   each is an icon of its kind (drive_route clears them)
// The player is reached through Qt's web channel object "vantrel", which
// offers seekToPoint(i) and pointInfo(i) and nothing else; a click on an
// event's icon seeks to its point like a click on the route.
(function (global) {
  'use strict';

  var COLOURS = ['#2c7bb6', '#1a9850', '#e6c229', '#f07c1b', '#d7191c'];
  // Bin limits in the displayed unit: below the first is bin 0, from the
  // last on is the last bin.
  var LIMITS = { kmh: [30, 60, 90, 120], mph: [20, 40, 60, 80] };
  var UNIT_TEXT = { kmh: 'km/h', mph: 'mph' };
  var FAINT = 0.35;
  var CLICK_PX = 16;   // how near a click must be to the route
  var HOVER_PX = 12;
  // Kinds with an icon of their own (page.css); anything else shows as harsh.
  var EVENT_KINDS = ['braking', 'acceleration', 'cornering', 'impact', 'harsh'];

  function finite(v) { return typeof v === 'number' && isFinite(v); }

  // The speed display's figure: mph are km/h x 10 / 16, rounded down.
  function displayed(kmh, unit) { return unit === 'mph' ? Math.floor(kmh * 10 / 16) : kmh; }

  function binOf(kmh, unit) {
    var v = displayed(kmh, unit), limits = LIMITS[unit], b = 0;
    while (b < limits.length && v >= limits[b]) b++;
    return b;
  }

  function attach(map, host) {
    var unit = 'kmh';
    var d = null;          // the drive as sent
    var pts = [];          // its points on this page's tiles
    var gaps = {};         // index -> true where a new line starts
    var shown = -1;        // point shown
    var piece = -1;        // its recording
    var layer = L.layerGroup().addTo(map);
    var eventLayer = L.layerGroup().addTo(map);
    var events = [];       // the drive's events as sent, with their titles
    var drivenLine = L.polyline([], { color: '#202020', weight: 2, opacity: 0.8, interactive: false, className: 'vantrel-driven' }).addTo(map);
    var segments = [];     // {bin, current} per drawn line, for read-back
    var hoverText = '';
    var hovered = -1;
    var tip = L.tooltip({ direction: 'top', offset: [0, -6], className: 'vantrel-hover' });
    var bridge = null;

    if (global.QWebChannel && global.qt && global.qt.webChannelTransport) {
      new global.QWebChannel(global.qt.webChannelTransport, function (channel) {
        bridge = channel.objects.vantrel || null;
      });
    }

    var legend = L.control({ position: 'bottomright' });
    legend.onAdd = function () { return L.DomUtil.create('div', 'vantrel-legend'); };
    legend.addTo(map);

    function legendText() {
      var l = LIMITS[unit], rows = [];
      for (var b = 0; b <= l.length; b++) {
        var label = b === 0 ? '< ' + l[0] : b === l.length ? '\u2265 ' + l[b - 1] : l[b - 1] + '\u2013' + l[b];
        rows.push('<div><i style="background:' + COLOURS[b] + '"></i>' + label + '</div>');
      }
      return '<b>' + UNIT_TEXT[unit] + '</b>' + rows.join('');
    }

    function drawLegend() {
      var el = legend.getContainer();
      el.innerHTML = d ? legendText() : '';
      el.style.display = d ? '' : 'none';
    }

    // One line per run of segments with the same colour and emphasis; the
    // segment from point i-1 to i takes the speed of point i-1.
    function drawRoute() {
      layer.clearLayers();
      segments = [];
      if (!d) return;
      var run = null;
      function flush() {
        if (run && run.latlngs.length > 1) {
          layer.addLayer(L.polyline(run.latlngs, {
            color: COLOURS[run.bin], weight: 5, opacity: run.current ? 1 : FAINT,
            interactive: false, className: 'vantrel-speed'
          }));
          segments.push({ bin: run.bin, current: run.current, points: run.latlngs.length });
        }
        run = null;
      }
      for (var i = 1; i < pts.length; i++) {
        if (gaps[i]) { flush(); continue; }
        var bin = binOf(d.v[i - 1], unit), current = d.p[i] === piece;
        if (run && (run.bin !== bin || run.current !== current)) flush();
        if (!run) run = { bin: bin, current: current, latlngs: [pts[i - 1]] };
        run.latlngs.push(pts[i]);
      }
      flush();
    }

    // The driven part: the drive's lines up to the point shown.
    function drawDriven() {
      var lines = [], line = [];
      for (var i = 0; i <= shown && i < pts.length; i++) {
        if (gaps[i] && line.length) { lines.push(line); line = []; }
        line.push(pts[i]);
      }
      if (line.length) lines.push(line);
      drivenLine.setLatLngs(lines);
      drivenLine.bringToFront();
    }

    // Nearest point to a place on the screen within `px` pixels; -1 if none.
    function nearest(containerPoint, px) {
      var best = -1, bestDist = px * px;
      for (var i = 0; i < pts.length; i++) {
        var c = map.latLngToContainerPoint(pts[i]);
        var dx = c.x - containerPoint.x, dy = c.y - containerPoint.y;
        var dist = dx * dx + dy * dy;
        if (dist <= bestDist) { best = i; bestDist = dist; }
      }
      return best;
    }

    // "braking · 08:30:11 · 0.52 G" (no clock part when it is unknown).
    function eventTitle(e) {
      var parts = [e.kind];
      if (e.t) parts.push(e.t);
      parts.push(e.g.toFixed(2) + ' G');
      return parts.join(' \u00b7 ');
    }

    // Icons drawn in the page itself (CSS), so they show without network;
    // under the vehicle, which must stay visible.
    function drawEvents() {
      eventLayer.clearLayers();
      events.forEach(function (e) {
        var icon = L.divIcon({
          className: 'vantrel-event vantrel-event-' + e.kind,
          html: '', iconSize: [18, 18], iconAnchor: [9, 9], tooltipAnchor: [0, -9]
        });
        var m = L.marker(host.point(e.lat, e.lng), { icon: icon, keyboard: false, zIndexOffset: -1000 });
        m.bindTooltip(e.title, { direction: 'top', className: 'vantrel-event-tip' });
        m.on('click', function () { if (bridge && e.i >= 0) bridge.seekToPoint(e.i); });
        eventLayer.addLayer(m);
      });
    }

    function eventOf(x) {
      if (!x || !finite(x.lat) || !finite(x.lng)) return null;
      var e = {
        kind: EVENT_KINDS.indexOf(x.k) >= 0 ? x.k : 'harsh',
        i: finite(x.i) ? Math.floor(x.i) : -1,
        lat: x.lat, lng: x.lng,
        t: typeof x.t === 'string' ? x.t : '',
        g: finite(x.g) ? x.g : 0
      };
      e.title = eventTitle(e);
      return e;
    }

    map.on('click', function (e) {
      var i = nearest(e.containerPoint, CLICK_PX);
      if (i >= 0 && bridge) bridge.seekToPoint(i);
    });

    map.on('mousemove', function (e) {
      var i = nearest(e.containerPoint, HOVER_PX);
      if (i === hovered) return;
      hovered = i;
      if (i < 0 || !bridge) { map.closeTooltip(tip); hoverText = ''; return; }
      bridge.pointInfo(i, function (text) {
        if (hovered !== i || !text) return;
        hoverText = text;
        tip.setLatLng(pts[i]).setContent(text);
        map.openTooltip(tip);
      });
    });

    global.drive_route = function (data) {
      d = data && data.t && data.t.length ? data : null;
      pts = [];
      gaps = {};
      shown = -1;
      piece = -1;
      if (d) {
        for (var i = 0; i < d.t.length; i++) pts.push(host.point(d.lat[i], d.lng[i]));
        for (var k = 0; k < d.g.length; k++) gaps[d.g[k]] = true;
      }
      host.styleLines(!!d);
      events = [];
      drawEvents();
      drawRoute();
      drawDriven();
      drawLegend();
    };

    global.drive_pos = function (i) {
      if (!d || typeof i !== 'number') return;
      shown = Math.min(Math.floor(i), pts.length - 1);
      if (shown >= 0 && d.p[shown] !== piece) {
        piece = d.p[shown];
        drawRoute();
      }
      drawDriven();
      if (shown >= 0) host.placeVehicle(d.lat[shown], d.lng[shown], d.h[shown]);
    };

    global.drive_events = function (list) {
      events = [];
      if (Array.isArray(list)) {
        for (var k = 0; k < list.length; k++) {
          var e = eventOf(list[k]);
          if (e) events.push(e);
        }
      }
      drawEvents();
    };

    global.drive_units = function (u) {
      if (!LIMITS[u] || u === unit) return;
      unit = u;
      drawRoute();
      drawLegend();
    };

    // Test aid: where point i is drawn, in the map's pixels.
    global.__vantrel_point = function (i) {
      if (i < 0 || i >= pts.length) return null;
      var c = map.latLngToContainerPoint(pts[i]);
      return { x: c.x, y: c.y };
    };

    drawLegend();
    return {
      fit: function (maxZoom) {
        if (pts.length === 0) return false;
        map.fitBounds(L.latLngBounds(pts), { padding: [24, 24], maxZoom: maxZoom, animate: false });
        return true;
      },
      describe: function (state) {
        var end = shown >= 0 && d ? [d.lat[shown], d.lng[shown]] : null;
        state.drivePoints = pts.length;
        state.driveShown = shown;
        state.drivenEndLat = end ? end[0] : null;
        state.drivenEndLng = end ? end[1] : null;
        var lines = drivenLine.getLatLngs(), last = lines.length ? lines[lines.length - 1] : [];
        var drawn = last.length ? last[last.length - 1] : null;
        state.drivenDrawnLat = drawn ? drawn.lat : null;
        state.drivenDrawnLng = drawn ? drawn.lng : null;
        state.segments = segments;
        state.unit = unit;
        state.legend = legend.getContainer().textContent;
        state.hover = hoverText;
        state.bridge = !!bridge;
        state.events = events.map(function (e) { return e.title; });
      }
    };
  }

  global.VantrelDrive = { attach: attach, binOf: binOf };
})(window);
