// The turnable view of one exported package: plain script, no framework, nothing from the
// network. The package's structure comes from spin-data.js (a script, so that the page works from
// file:// as well as from any web server); spin-view.js shows it, this file turns it.
(function () {
  "use strict";

  var spin = window.gyrolookSpin;
  var root = document.getElementById("spin");
  if (!spin || !root || !window.gyrolookSpinView) return;
  var view = window.gyrolookSpinView(root, spin);
  var stage = root.querySelector(".stage");
  var playButton = root.querySelector(".play");
  var fullButton = root.querySelector(".full");
  var hint = root.querySelector(".hint");

  var RIGHT = 4;
  var rings = spin.upperRows + spin.lowerRows > 0;
  var coarse = window.matchMedia && window.matchMedia("(pointer: coarse)").matches;
  var reducedMotion = window.matchMedia
    ? window.matchMedia("(prefers-reduced-motion: reduce)")
    : { matches: false };
  stage.classList.toggle("rings", rings);

  // The controls of this device and package only.
  root.querySelector(".help").textContent = coarse
    ? "Swipe sideways to turn" + (rings ? ", up or down to look from above or below" : "") +
      "; pinch to zoom."
    : "Drag or use the arrow keys to turn" + (rings ? " (up and down: from above or below)" : "") +
      "; Ctrl + wheel or + and \u2212 zoom; F full screen.";

  // --- Spinning: the play button and autoplay ---------------------------------------------

  var spinTimer = 0, idleTimer = 0, inView = false;
  var onceLeft = spin.autoplay === 0 ? spin.count : 0; // steps of the one turn still to play

  function stopSpin() {
    if (!spinTimer) return;
    clearInterval(spinTimer);
    spinTimer = 0;
    view.quiet = false;
    view.announce();
    playButton.setAttribute("aria-pressed", "false");
    playButton.setAttribute("aria-label", "Spin");
    playButton.title = "Spin";
  }

  // Spins one turn of the ring in spin.turnSeconds, until stopped or the one turn is played.
  function startSpin() {
    if (spinTimer || reducedMotion.matches) return;
    var interval = Math.max(16, (spin.turnSeconds * 1000) / spin.count);
    view.quiet = true;
    spinTimer = setInterval(function () {
      view.move(RIGHT);
      if (onceLeft > 0 && --onceLeft === 0) stopSpin();
    }, interval);
    playButton.setAttribute("aria-pressed", "true");
    playButton.setAttribute("aria-label", "Stop spinning");
    playButton.title = "Stop spinning";
  }

  // Autoplay: one turn once in view (finished when it comes back into view), or again after
  // spin.autoplay seconds without a touch; never out of view.
  function autoplay() {
    clearTimeout(idleTimer);
    if (!inView || spin.autoplay < 0 || (spin.autoplay === 0 && onceLeft === 0)) return;
    startSpin();
  }

  // Whatever the user does stops the spin; with autoplay it starts again once left alone.
  function touched() {
    stopSpin();
    onceLeft = 0;
    clearTimeout(idleTimer);
    if (spin.autoplay > 0) idleTimer = setTimeout(autoplay, spin.autoplay * 1000);
  }

  if (spin.autoplay >= 0 && window.IntersectionObserver) {
    new IntersectionObserver(function (entries) {
      inView = entries[entries.length - 1].isIntersecting;
      if (inView) autoplay();
      else stopSpin();
    }, { threshold: 0.5 }).observe(stage);
  }

  function followMotionSetting() {
    playButton.hidden = reducedMotion.matches;
    if (reducedMotion.matches) stopSpin();
  }

  playButton.addEventListener("click", function () {
    if (spinTimer) {
      touched();
    } else {
      onceLeft = 0;
      startSpin();
    }
  });
  if (reducedMotion.addEventListener)
    reducedMotion.addEventListener("change", followMotionSetting);
  followMotionSetting();

  // --- Full screen ---------------------------------------------------------------------------

  function toggleFullScreen() {
    if (document.fullscreenElement) document.exitFullscreen();
    else if (root.requestFullscreen) root.requestFullscreen().catch(function () {});
  }

  fullButton.hidden = !document.fullscreenEnabled;
  fullButton.addEventListener("click", toggleFullScreen);
  document.addEventListener("fullscreenchange", function () {
    var active = document.fullscreenElement === root;
    fullButton.setAttribute("aria-pressed", String(active));
    fullButton.setAttribute("aria-label", active ? "Leave full screen" : "Full screen");
    view.applyTransform();
    view.emit("spin:fullscreen", { active: active });
  });

  window.gyrolookSpinInput(root, stage, spin, view, {
    touched: touched,
    toggleFullScreen: toggleFullScreen,
    reducedMotion: reducedMotion,
    hint: hint
  });

  // --- Start ---------------------------------------------------------------------------------

  function noteStepSizes() {
    stage.dataset.stepX = String(view.stepSizes().x);
    stage.dataset.stepY = String(view.stepSizes().y);
  }
  window.addEventListener("resize", function () {
    noteStepSizes();
    view.applyTransform();
  });

  view.show(spin.start);
  view.applyTransform();
  noteStepSizes();
  // The first picture comes with the page; the others once it has loaded, so that they never
  // hold up its load.
  function ready() {
    view.emit("spin:ready", { position: spin.views[view.current][1], ring: 0,
                              positions: spin.count, above: spin.upperRows,
                              below: spin.lowerRows });
    view.loadRest(root.querySelector("progress"));
  }
  if (document.readyState === "complete") ready();
  else window.addEventListener("load", ready);
})();
