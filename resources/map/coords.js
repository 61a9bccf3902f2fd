// Datum shifts used by the Chinese map services. Positions arrive in WGS-84;
// tiles in mainland China are drawn in GCJ-02 (Google-style tiles) or in
// BD-09 (Baidu), so the route is shifted the same way before it is drawn.
// Points outside China are left unchanged.
(function (global) {
  'use strict';

  var A = 6378245.0;                      // semi-major axis of the GCJ-02 ellipsoid
  var EE = 0.00669342162296594323;         // its eccentricity squared
  var X_PI = Math.PI * 3000.0 / 180.0;

  function outOfChina(lat, lng) {
    return lng < 72.004 || lng > 137.8347 || lat < 0.8293 || lat > 55.8271;
  }

  function shiftLat(x, y) {
    var r = -100.0 + 2.0 * x + 3.0 * y + 0.2 * y * y + 0.1 * x * y + 0.2 * Math.sqrt(Math.abs(x));
    r += (20.0 * Math.sin(6.0 * x * Math.PI) + 20.0 * Math.sin(2.0 * x * Math.PI)) * 2.0 / 3.0;
    r += (20.0 * Math.sin(y * Math.PI) + 40.0 * Math.sin(y / 3.0 * Math.PI)) * 2.0 / 3.0;
    r += (160.0 * Math.sin(y / 12.0 * Math.PI) + 320.0 * Math.sin(y * Math.PI / 30.0)) * 2.0 / 3.0;
    return r;
  }

  function shiftLng(x, y) {
    var r = 300.0 + x + 2.0 * y + 0.1 * x * x + 0.1 * x * y + 0.1 * Math.sqrt(Math.abs(x));
    r += (20.0 * Math.sin(6.0 * x * Math.PI) + 20.0 * Math.sin(2.0 * x * Math.PI)) * 2.0 / 3.0;
    r += (20.0 * Math.sin(x * Math.PI) + 40.0 * Math.sin(x / 3.0 * Math.PI)) * 2.0 / 3.0;
    r += (150.0 * Math.sin(x / 12.0 * Math.PI) + 300.0 * Math.sin(x / 30.0 * Math.PI)) * 2.0 / 3.0;
    return r;
  }

  // WGS-84 -> GCJ-02, as [lat, lng].
  function wgs84ToGcj02(lat, lng) {
    if (outOfChina(lat, lng)) return [lat, lng];
    var dLat = shiftLat(lng - 105.0, lat - 35.0);
    var dLng = shiftLng(lng - 105.0, lat - 35.0);
    var radLat = lat / 180.0 * Math.PI;
    var magic = Math.sin(radLat);
    magic = 1 - EE * magic * magic;
    var sqrtMagic = Math.sqrt(magic);
    dLat = (dLat * 180.0) / ((A * (1 - EE)) / (magic * sqrtMagic) * Math.PI);
    dLng = (dLng * 180.0) / (A / sqrtMagic * Math.cos(radLat) * Math.PI);
    return [lat + dLat, lng + dLng];
  }

  // GCJ-02 -> BD-09, as [lat, lng].
  function gcj02ToBd09(lat, lng) {
    if (outOfChina(lat, lng)) return [lat, lng];
    var z = Math.sqrt(lng * lng + lat * lat) + 0.00002 * Math.sin(lat * X_PI);
    var theta = Math.atan2(lat, lng) + 0.000003 * Math.cos(lng * X_PI);
    return [z * Math.sin(theta) + 0.006, z * Math.cos(theta) + 0.0065];
  }

  function wgs84ToBd09(lat, lng) {
    var g = wgs84ToGcj02(lat, lng);
    return gcj02ToBd09(g[0], g[1]);
  }

  global.VantrelCoords = {
    outOfChina: outOfChina,
    wgs84ToGcj02: wgs84ToGcj02,
    gcj02ToBd09: gcj02ToBd09,
    wgs84ToBd09: wgs84ToBd09
  };
})(typeof window !== 'undefined' ? window : globalThis);
