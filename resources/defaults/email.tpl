<html>
<head><meta charset="utf-8"></head>
<body style="font-family: Verdana, Arial, sans-serif; font-size: 13px; color: #222;">
<p>[[from_name]] thought you would like this item.</p>
<p><b>Personal message:</b><br>
[[personal_message]]</p>
<hr size="1" color="#cccccc">
<h2 style="font-size: 16px;">[[title]]</h2>
<div>[[description]]</div>
<hr size="1" color="#cccccc">
</body>
</html>
