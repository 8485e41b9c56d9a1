// What the turnable view shows: the picture of a view at the size the screen needs, its hot
// spots, the zoom and what is told to screen readers and to the page around it. spin.js drives it
// from the pointer, the wheel and the keys.
//
// spin.views holds one entry per view the desktop viewer reaches:
//   [picture, column, vertical value, left, right, up, down]
// where picture indexes spin.pictures and the last four are the views one step away.
// spin.sets lists the sizes the pictures were written in: [width, folder], smallest first.
window.gyrolookSpinView = function (root, spin) {
  "use strict";

  var stage = root.querySelector(".stage");
  var frame = root.querySelector(".frame");
  var picture = root.querySelector(".frame img");
  var spotLayer = root.querySelector(".hotspots");
  var status = root.querySelector(".status");
  var PICTURE = 0, COLUMN = 1, VERTICAL = 2;
  var MAX_SCALE = 8;

  var view = {
    current: spin.start,
    scale: 1,
    panX: 0,
    panY: 0,
    quiet: false // while spinning, the position is announced only when it stops
  };
  var announceTimer = 0;

  // Tells the page around: an event on the spin's element, and a message to the page that holds
  // this one in a frame.
  view.emit = function (name, detail) {
    root.dispatchEvent(new CustomEvent(name, { detail: detail, bubbles: true }));
    if (window.parent !== window)
      window.parent.postMessage({ source: "gyrolook-spin", type: name, detail: detail }, "*");
  };

  // --- Picture sizes ---------------------------------------------------------------------

  function saveData() {
    var link = navigator.connection;
    return !!link && (link.saveData || /(^|-)2g$|^3g$/.test(link.effectiveType || ""));
  }

  // The width at which the browser picks among the sets: the stage's on-screen width times the
  // zoom, for at most two device pixels to a CSS pixel (sharper than that costs a phone far more
  // bytes than it shows); a slow or metered link keeps the smallest set until zoomed in.
  function sizes() {
    var width = stage.clientWidth || spin.width;
    var ratio = window.devicePixelRatio || 1;
    if (saveData() && view.scale === 1) return "1px";
    return Math.ceil((width * view.scale * Math.min(ratio, 2)) / ratio) + "px";
  }

  function srcset(index) {
    var name = spin.pictures[index];
    return spin.sets.map(function (set) { return set[1] + name + " " + set[0] + "w"; }).join(", ");
  }

  // Sets an image (on the page or loading ahead) to picture `index` at the current sizes.
  view.point = function (image, index) {
    if (spin.sets.length > 1) {
      image.sizes = sizes();
      image.srcset = srcset(index);
    }
    image.src = spin.sets[0][1] + spin.pictures[index];
  };

  // --- Showing a view --------------------------------------------------------------------

  function ringOf(v) { return v - 1; }

  function spotsOf(index) { return spin.hotspots[String(index)] || []; }

  function describe(index) {
    var entry = spin.views[index], v = entry[VERTICAL];
    var where = v === 1 ? "level with it" : v > 1 ? "from above, row " + (v - 1)
                                                 : "from below, row " + (1 - v);
    var text = spin.title + ": position " + (entry[COLUMN] + 1) + " of " + spin.count + ", " + where;
    var labels = spotsOf(index).map(function (s) { return spin.labels[String(s[0])]; });
    return labels.length ? text + "; hot spots: " + labels.join(", ") : text;
  }

  function announceLater() {
    clearTimeout(announceTimer);
    announceTimer = setTimeout(function () { view.announce(); }, 700);
  }

  view.announce = function () {
    clearTimeout(announceTimer);
    status.textContent = describe(view.current);
  };

  function showSpots(index) {
    var hadFocus = spotLayer.contains(document.activeElement);
    spotLayer.textContent = "";
    spotsOf(index).forEach(function (s) {
      var spot = document.createElement("div");
      spot.className = "hotspot";
      spot.tabIndex = 0;
      spot.setAttribute("role", "note");
      spot.dataset.spot = String(s[0]);
      spot.style.left = s[1] * 100 + "%";
      spot.style.top = s[2] * 100 + "%";
      spot.style.width = s[3] * 100 + "%";
      spot.style.height = s[4] * 100 + "%";
      var label = document.createElement("span");
      label.className = "hotspot-label";
      label.textContent = spin.labels[String(s[0])];
      spot.appendChild(label);
      spotLayer.appendChild(spot);
    });
    if (hadFocus) stage.focus({ preventScroll: true });
  }

  view.show = function (index) {
    var changed = index !== view.current;
    view.current = index;
    var entry = spin.views[index];
    view.point(picture, entry[PICTURE]);
    stage.dataset.view = String(index);
    stage.dataset.column = String(entry[COLUMN]);
    stage.dataset.vertical = String(entry[VERTICAL]);
    showSpots(index);
    if (!view.quiet) announceLater();
    if (changed)
      view.emit("spin:turn", { position: entry[COLUMN], ring: ringOf(entry[VERTICAL]),
                               view: index });
  };

  view.move = function (direction) {
    var next = spin.views[view.current][direction];
    if (next !== view.current) view.show(next);
    return next !== view.current;
  };

  // --- Zoom and panning ------------------------------------------------------------------

  function clampPan() {
    var maxX = (stage.clientWidth * (view.scale - 1)) / 2;
    var maxY = (stage.clientHeight * (view.scale - 1)) / 2;
    view.panX = Math.max(-maxX, Math.min(maxX, view.panX));
    view.panY = Math.max(-maxY, Math.min(maxY, view.panY));
  }

  view.applyTransform = function () {
    clampPan();
    frame.style.transform =
      "translate(" + view.panX + "px, " + view.panY + "px) scale(" + view.scale + ")";
    stage.classList.toggle("zoomed", view.scale > 1);
    stage.dataset.scale = view.scale.toFixed(3);
    stage.dataset.pan = Math.round(view.panX) + "," + Math.round(view.panY);
    // Zoomed in (or the stage grown), the larger pictures are asked for.
    if (spin.sets.length > 1 && picture.sizes !== sizes())
      view.point(picture, spin.views[view.current][PICTURE]);
  };

  // Zooms to `next`, keeping the picture point under (x, y) (stage pixels from its centre) where
  // it is.
  view.zoomTo = function (next, x, y) {
    next = Math.max(1, Math.min(MAX_SCALE, next));
    if (next === view.scale) return;
    view.panX = x - ((x - view.panX) * next) / view.scale;
    view.panY = y - ((y - view.panY) * next) / view.scale;
    view.scale = next;
    view.applyTransform();
    view.emit("spin:zoom", { scale: next });
  };

  // The drag that makes one step: across, one picture; up or down, one row.
  view.stepSizes = function () {
    var rows = 1 + spin.upperRows + spin.lowerRows;
    return {
      x: Math.max(4, Math.min(24, Math.round(stage.clientWidth / spin.count))),
      y: Math.max(12, Math.round(stage.clientHeight / (rows + 1)))
    };
  };

  view.fromCentre = function (clientX, clientY) {
    var box = stage.getBoundingClientRect();
    return { x: clientX - box.left - box.width / 2, y: clientY - box.top - box.height / 2 };
  };

  // --- Loading every picture after the first -------------------------------------------

  var held = []; // decoded pictures stay referenced, so turning never waits for a decode
  view.loadRest = function (loading) {
    var order = [], seen = {};
    seen[spin.views[spin.start][PICTURE]] = true;
    spin.views.forEach(function (entry) {
      if (!seen[entry[PICTURE]]) { seen[entry[PICTURE]] = true; order.push(entry[PICTURE]); }
    });
    var next = 0, done = 1, running = 0;
    loading.max = order.length + 1;
    function finished() {
      loading.value = ++done;
      --running;
      if (done > order.length) {
        loading.hidden = true;
        stage.dataset.loaded = "true";
      }
      start();
    }
    function start() {
      while (running < 4 && next < order.length) {
        var image = new Image();
        held.push(image);
        image.decoding = "async";
        view.point(image, order[next++]);
        ++running;
        (image.decode ? image.decode() : Promise.resolve()).then(finished, finished);
      }
    }
    if (order.length === 0) {
      loading.hidden = true;
      stage.dataset.loaded = "true";
    }
    start();
  };

  return view;
};
