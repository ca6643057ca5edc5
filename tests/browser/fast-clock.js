// Run in the demo's page before its own script by check-web: every clock the page can read
// runs 50 times too fast, and the animation frames are counted (animationFrames). A world that
// steps once per animation frame reaches frame N in N animation frames or more whatever the
// clock says; one that steps by the clock gets there in a few.
(() => {
    const speed = 50;
    const fast = (clock) => {
        const start = clock();
        return () => start + (clock() - start) * speed;
    };
    performance.now = fast(performance.now.bind(performance));
    Date.now = fast(Date.now);
    const requestFrame = window.requestAnimationFrame.bind(window);
    window.animationFrames = 0;
    window.requestAnimationFrame = (callback) =>
        requestFrame(() => {
            window.animationFrames += 1;
            callback(performance.now());
        });
    // The frame that the caption under the canvas names.
    window.shownFrame = () => Number(document.getElementById('caption').textContent.split(' ')[1]);
})();
