// The part every map page shares: the route line, the driven-route line, the
// vehicle marker that the map follows, and the six global functions the
// player calls. A page supplies its tile layer, its CRS and the datum shift
// that puts WGS-84 positions onto its tiles.
//
// Calls arrive in this order for a loaded recording: pathdrived_delete,
// path_delete, path_plot per fix, init_map(0, 0), then movpos as playback
// goes on and pathdrived_delete + pathdrived_plot per fix after each seek.
// init_map never clears the lines: nothing sends the route again after it.
(function (global) {
  'use strict';

  var ROUTE_STYLE = { color: '#2a6fdb', weight: 4, opacity: 0.85, interactive: false };
  var DRIVEN_STYLE = { color: '#e8431f', weight: 5, opacity: 0.95, interactive: false };
  var FOLLOW_ZOOM = 16;

  function finite(v) { return typeof v === 'number' && isFinite(v); }

  function createMap(opts) {
    var toMap = opts.convert || function (lat, lng) { return [lat, lng]; };
    var mapOptions = {
      zoomControl: false,
      attributionControl: true,
      worldCopyJump: false
    };
    if (opts.crs) mapOptions.crs = opts.crs;
    var map = L.map('map', mapOptions);
    // The host hides the page's top strip; keep every control at the bottom.
    L.control.zoom({ position: 'bottomleft' }).addTo(map);
    map.setView(opts.center || [35.0, 105.0], opts.zoom || 4);

    if (opts.tileUrl) {
      var tiles = L.tileLayer(opts.tileUrl, opts.tileOptions || {});
      // Without network every tile fails; the lines and the marker stay
      // visible on the plain background, so the failures are ignored.
      tiles.on('tileerror', function () {});
      tiles.addTo(map);
    }

    var route = L.polyline([], ROUTE_STYLE).addTo(map);
    var driven = L.polyline([], DRIVEN_STYLE).addTo(map);
    var marker = null;
    var markerSent = null;   // the WGS-84 position last given to movpos
    var routeCount = 0;
    var drivenCount = 0;

    function point(lat, lng) {
      var p = toMap(lat, lng);
      return L.latLng(p[0], p[1]);
    }

    // The lines get one point per call, thousands in a row. Redrawing a
    // line costs all its points, so the points are gathered and each line
    // is redrawn once per frame instead of once per point.
    var routePoints = [];
    var drivenPoints = [];
    var routeDirty = false;
    var drivenDirty = false;
    var redrawFrame = 0;

    function redrawLines() {
      if (redrawFrame) global.cancelAnimationFrame(redrawFrame);
      redrawFrame = 0;
      if (routeDirty) route.setLatLngs(routePoints);
      if (drivenDirty) driven.setLatLngs(drivenPoints);
      routeDirty = drivenDirty = false;
    }

    function lineChanged() {
      if (!redrawFrame) redrawFrame = global.requestAnimationFrame(redrawLines);
    }

    global.path_delete = function () {
      routePoints = [];
      routeCount = 0;
      routeDirty = true;
      lineChanged();
    };

    global.path_plot = function (lat, lng) {
      if (!finite(lat) || !finite(lng)) return;
      routePoints.push(point(lat, lng));
      routeCount++;
      routeDirty = true;
      lineChanged();
    };

    global.pathdrived_delete = function () {
      drivenPoints = [];
      drivenCount = 0;
      drivenDirty = true;
      lineChanged();
    };

    global.pathdrived_plot = function (lat, lng) {
      if (!finite(lat) || !finite(lng)) return;
      drivenPoints.push(point(lat, lng));
      drivenCount++;
      drivenDirty = true;
      lineChanged();
    };

    // Shows the loaded route; the player always passes 0, 0, which then
    // means "no particular place".
    global.init_map = function (lat, lng) {
      redrawLines();
      if (routeCount > 0) {
        map.fitBounds(route.getBounds(), { padding: [24, 24], maxZoom: FOLLOW_ZOOM, animate: false });
        return;
      }
      if (finite(lat) && finite(lng) && (lat !== 0 || lng !== 0))
        map.setView(point(lat, lng), FOLLOW_ZOOM, { animate: false });
    };

    // Moves the vehicle marker and keeps it in view.
    global.movpos = function (lat, lng) {
      if (!finite(lat) || !finite(lng)) return;
      var p = point(lat, lng);
      markerSent = [lat, lng];
      if (!marker) {
        marker = L.marker(p, { interactive: false, keyboard: false }).addTo(map);
        map.setView(p, Math.max(map.getZoom(), FOLLOW_ZOOM), { animate: false });
        return;
      }
      marker.setLatLng(p);
      if (!map.getBounds().pad(-0.2).contains(p)) map.panTo(p, { animate: false });
    };

    // Read-back for automated checks: what the page holds right now.
    global.__vantrel_state = function () {
      var shown = marker ? marker.getLatLng() : null;
      return {
        page: opts.name,
        route: routeCount,
        driven: drivenCount,
        markerLat: markerSent ? markerSent[0] : null,
        markerLng: markerSent ? markerSent[1] : null,
        shownLat: shown ? shown.lat : null,
        shownLng: shown ? shown.lng : null
      };
    };

    return map;
  }

  global.VantrelMap = { create: createMap };
})(window);
