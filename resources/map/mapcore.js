// The part every map page shares: the route line, the driven-route line, the
// vehicle marker that the map follows, and the six global functions the
// player calls. A page supplies its tile layer, its CRS and the datum shift
// that puts WGS-84 positions onto its tiles. The drive's speed-coloured
// route and its functions come from mapdrive.js.
//
// Calls arrive in this order for a loaded recording: pathdrived_delete,
// path_delete, path_plot per fix, init_map(0, 0), then movpos as playback
// goes on and pathdrived_delete + pathdrived_plot per fix after each seek.
// init_map never clears the lines: a new page gets the route again from
// the player.
(function (global) {
  'use strict';

  var ROUTE_STYLE = { color: '#2a6fdb', weight: 4, opacity: 0.85, interactive: false };
  var DRIVEN_STYLE = { color: '#e8431f', weight: 5, opacity: 0.95, interactive: false };
  var FOLLOW_ZOOM = 16;

  function finite(v) { return typeof v === 'number' && isFinite(v); }

  // Bearing in degrees (0 north, clockwise) from a to b, WGS-84 [lat, lng].
  function bearing(a, b) {
    var r = Math.PI / 180;
    var y = Math.sin((b[1] - a[1]) * r) * Math.cos(b[0] * r);
    var x = Math.cos(a[0] * r) * Math.sin(b[0] * r) -
            Math.sin(a[0] * r) * Math.cos(b[0] * r) * Math.cos((b[1] - a[1]) * r);
    return (Math.atan2(y, x) / r + 360) % 360;
  }

  // The vehicle: an arrow that points in the direction of travel.
  function arrowIcon() {
    return L.divIcon({
      className: 'vantrel-vehicle',
      html: '<div class="vantrel-arrow"></div>',
      iconSize: [26, 26],
      iconAnchor: [13, 13]
    });
  }

  // Tiles that fail (no network, a blocked server) leave a neutral grid
  // and a short note instead of an empty background credited to a map
  // service; the first tile that arrives takes both away again.
  function watchTiles(map, tiles) {
    var note = L.DomUtil.create('div', 'vantrel-offline-note', map.getContainer());
    note.textContent = 'map tiles unavailable';
    var loaded = 0;
    var offline = false;
    function setOffline(on) {
      if (on === offline) return;
      offline = on;
      var container = map.getContainer();
      if (on) L.DomUtil.addClass(container, 'vantrel-offline');
      else L.DomUtil.removeClass(container, 'vantrel-offline');
    }
    tiles.on('tileerror', function () { if (!loaded) setOffline(true); });
    tiles.on('tileload', function () { loaded++; setOffline(false); });
    return function () { return offline; };
  }

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

    var isOffline = function () { return false; };
    if (opts.tileUrl) {
      var tiles = L.tileLayer(opts.tileUrl, opts.tileOptions || {});
      isOffline = watchTiles(map, tiles);
      tiles.addTo(map);
    }

    var route = L.polyline([], ROUTE_STYLE).addTo(map);
    var driven = L.polyline([], DRIVEN_STYLE).addTo(map);
    var marker = null;
    var markerSent = null;   // the WGS-84 position last given to the marker
    var heading = 0;
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

    // Puts the vehicle at a WGS-84 position, pointing along `degrees`
    // (null: along its own last move), and keeps it in view.
    function placeVehicle(lat, lng, degrees) {
      if (degrees === null && markerSent && (markerSent[0] !== lat || markerSent[1] !== lng))
        degrees = bearing(markerSent, [lat, lng]);
      if (finite(degrees)) heading = degrees;
      var p = point(lat, lng);
      markerSent = [lat, lng];
      if (!marker) {
        marker = L.marker(p, { icon: arrowIcon(), interactive: false, keyboard: false }).addTo(map);
        map.setView(p, Math.max(map.getZoom(), FOLLOW_ZOOM), { animate: false });
      } else {
        marker.setLatLng(p);
        if (!map.getBounds().pad(-0.2).contains(p)) map.panTo(p, { animate: false });
      }
      var arrow = marker.getElement() && marker.getElement().firstChild;
      if (arrow) arrow.style.transform = 'rotate(' + heading + 'deg)';
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

    var drive = global.VantrelDrive ? global.VantrelDrive.attach(map, {
      point: point,
      placeVehicle: placeVehicle,
      // With a drive shown, the recording's own lines become a light casing
      // under its speed colours and a dark trace of the driven part.
      styleLines: function (withDrive) {
        route.setStyle(withDrive ? { color: '#ffffff', weight: 9, opacity: 0.9 } : ROUTE_STYLE);
        driven.setStyle(withDrive ? { color: '#202020', weight: 3, opacity: 0.85 } : DRIVEN_STYLE);
        route.bringToBack();
      }
    }) : null;

    // Shows the loaded route (or the drive's); the player always passes
    // 0, 0, which then means "no particular place".
    global.init_map = function (lat, lng) {
      redrawLines();
      if (routeCount > 0) {
        map.fitBounds(route.getBounds(), { padding: [24, 24], maxZoom: FOLLOW_ZOOM, animate: false });
        return;
      }
      if (drive && drive.fit(FOLLOW_ZOOM)) return;
      if (finite(lat) && finite(lng) && (lat !== 0 || lng !== 0))
        map.setView(point(lat, lng), FOLLOW_ZOOM, { animate: false });
    };

    // Moves the vehicle marker and keeps it in view.
    global.movpos = function (lat, lng) {
      if (!finite(lat) || !finite(lng)) return;
      placeVehicle(lat, lng, null);
    };

    // Read-back for automated checks: what the page holds right now.
    global.__vantrel_state = function () {
      var shown = marker ? marker.getLatLng() : null;
      var state = {
        page: opts.name,
        route: routeCount,
        driven: drivenCount,
        markerLat: markerSent ? markerSent[0] : null,
        markerLng: markerSent ? markerSent[1] : null,
        shownLat: shown ? shown.lat : null,
        shownLng: shown ? shown.lng : null,
        heading: heading,
        offline: isOffline()
      };
      if (drive) drive.describe(state);
      return state;
    };

    return map;
  }

  global.VantrelMap = { create: createMap };
})(window);
