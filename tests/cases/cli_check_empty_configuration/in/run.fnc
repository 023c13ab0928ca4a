This is a .fnc file created by FNC::rawsave 

 No. of possible rmin-rmax pairs: 
      0


 
      0
 
